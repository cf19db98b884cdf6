// The sprite renderer TAlpha32, in the minimal form the frame loop needs until
// the renderer itself is built: nothing is ever queued, so Rendering draws
// nothing, and there is no caption alert unless one is set.
#pragma once
#include <string>

#include "shell/FormParts.h"

class TAlpha32 : public FormRenderer {
 public:
  TAlpha32() = default;
  void Rendering() override {}
  std::string AlertMsg() const override { return AlertText; }
  void SetTexelFix(float fix) override { POINTTEXELFIX = fix; }
  void SetAspect(float aspect, bool on) override {
    Aspect = aspect;
    Aspect_f = on;
  }
  void SetAspectCentre(float x, float y) override {
    AspectCX = x;
    AspectCY = y;
  }

  std::string AlertText;  // caption alert; empty: none
  float POINTTEXELFIX = 0.0f;
  float Aspect = 1.0f;
  bool Aspect_f = false;
  float AspectCX = 0.0f, AspectCY = 0.0f;
  bool Err_f = false;
  // Reloads every texture the renderer filled itself (none yet).
  void RestoreFromList() {}
};
