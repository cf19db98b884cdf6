// The real window toolkit on SDL2: one fixed-size window showing a TkForm in
// the look of a classic desktop dialog, the mouse driving its controls, its
// timers run between events, and texts drawn with a system TrueType font
// (SDL_ttf; a CJK font for Japanese texts when one is installed).
#pragma once
#include <memory>
#include <string>

#include "platform/Toolkit.h"

namespace plat {

class SdlToolkit final : public TkApplication {
 public:
  SdlToolkit();
  ~SdlToolkit() override;
  SdlToolkit(const SdlToolkit&) = delete;
  SdlToolkit& operator=(const SdlToolkit&) = delete;

  void SetTitle(const std::string& titleSjis) override;
  bool AskOkCancel(const std::string& textSjis, const std::string& captionSjis) override;
  bool Run(TkForm& form) override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string title_;
  bool terminated_ = false;
};

}  // namespace plat
