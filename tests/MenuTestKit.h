// Scripted stand-ins for the menu scenes' tests: device slots that answer from
// a script, a sound controller that logs what is asked of it, a font that
// records its glyphs, and match objects that record their set-up calls.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/clsGenScene.h"
#include "sound/OggDataLib.h"

namespace menutest {

// Buttons and directions newly pushed in given steps; counts the questions.
class ScriptedSlot : public TDISAI {
 public:
  explicit ScriptedSlot(int no) : TDISAI(nullptr, no, 8) {}
  int step = 0;
  std::set<std::pair<int, int>> btn;  // (step, button)
  std::set<std::pair<int, int>> crs;  // (step, direction)
  int asked = 0;
  // A push scripted for step s reads as pushed Pos steps ago at step s + Pos.
  bool CheckBtn(BtnType b, int pos) override {
    ++asked;
    return btn.count({step - pos, int(b)}) > 0;
  }
  bool CheckCrs(CrsType c, int pos) override {
    ++asked;
    return crs.count({step - pos, int(c)}) > 0;
  }
};

class SoundLog : public TOggDataCtrl {
 public:
  int step = 0;
  std::vector<std::string> log;
  int playing = -1;
  void SESet(int No) override { Add("SE" + std::to_string(No)); }
  void SEPlay(int No) override { Add("PLAY" + std::to_string(No)); }
  void JglLoopPlay(int No) override {
    Add("JGL" + std::to_string(No));
    playing = No;
  }
  bool JglPlaying_f(int No) override { return No == playing; }
  void AllSoundStop() override {
    Add("STOP");
    playing = -1;
  }
  int Count(const std::string& what) const {
    int n = 0;
    for (auto& l : log) n += l.substr(0, l.find('@')) == what;
    return n;
  }

 private:
  void Add(const std::string& s) { log.push_back(s + "@" + std::to_string(step)); }
};

// One glyph the font was asked to queue.
struct Glyph {
  int sx, sy;
  float x, y;
};

class FontRecorder : public FontTarget {
 public:
  std::vector<Glyph> glyphs;
  bool LoadFont(const std::string&) override { return true; }
  void FreeFont() override {}
  void GlyphLT(int32_t sx, int32_t sy, float dx, float dy, int32_t, uint8_t, uint32_t) override {
    glyphs.push_back({sx, sy, dx, dy});
  }
  void GlyphC(int32_t, int32_t, float, float, int32_t, uint8_t, uint32_t) override {}
  // The run of cells of a plain-font text drawn at (x, y): its cells stand
  // at y - 8, one every 8 pixels from x on.
  std::vector<Glyph> Line(float x, float y) const {
    std::vector<Glyph> out;
    for (bool found = true; found;) {
      found = false;
      for (const Glyph& g : glyphs)
        if (g.y == y - 8 && g.x == x + 8 * float(out.size())) {
          out.push_back(g);
          found = true;
          break;
        }
    }
    return out;
  }
};

// The plain font's cell of glyph g.
inline std::pair<int, int> GlyphCell(int g) { return {(g % 21) * 8, (g / 21) * 16}; }

// Records the match set-up calls in order, as "P<side><pos>" and "T<side>".
class MatchRecorder : public MatchObjects {
 public:
  std::vector<std::string> calls;
  void CameraInit() override {}
  void BallOnInit() override {}
  void PlayerOnInit(int side, int pos) override {
    calls.push_back("P" + std::to_string(side) + std::to_string(pos));
  }
  void TeamOnInit(int side) override { calls.push_back("T" + std::to_string(side)); }
  void KickOff() override {}
  void ClearDam() override {}
  void CameraReset() override {}
  void TeamOnMove(int) override {}
  void BallOnMove() override {}
  void TeamOnReMove(int) override {}
  void TeamOnSetOS(int) override {}
  void BallOnSetOS() override {}
  void BallOnJudge() override {}
  void FDamMove() override {}
  bool AllDead(int) override { return false; }
  void CameraFollowBall() override {}
  void CourtDraw(int) override {}
  void TeamOnDraw(int) override {}
  void BallOnDraw() override {}
  HPPanelLayout PanelLayout() override { return {}; }
  void PanelFace(int, int, int, int, bool) override {}
  void PanelName(const std::string&, int, int) override {}
  void PanelBar(int, int, int) override {}
  void FDamDraw() override {}
  void TeamOnSave(int) override {}
  void TeamOnLoad(int) override {}
  void PlayerOnSave(int, int) override {}
  void PlayerOnLoad(int, int) override {}
  void BallOnSave() override {}
  void BallOnLoad() override {}
};

// A data hub, global status object, input aggregate of scripted slots and a
// logging sound controller, stepped as the scene controller steps a scene.
class MenuFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRandSeed(1234);
    AOT = std::make_unique<TAllObTx>();
    AOT->SDt = &SDt;
    Glb.OC = &OC;
    Glb.ADI = &ADI;
    for (int i = 0; i < TADISAI::SLOTS; ++i) {
      auto s = std::make_unique<ScriptedSlot>(i);
      slot[i] = s.get();
      ADI.DI[i] = std::move(s);
    }
  }
  void Step(TGenScene& s) {
    s.OnMove();
    s.OnDraw();
    ++step;
    for (auto* sl : slot) sl->step = step;
    OC.step = step;
  }
  void Steps(TGenScene& s, int n) {
    for (int i = 0; i < n; ++i) Step(s);
  }
  // Scripts a push in the step about to run.
  void Push(int player, BtnType b) { slot[player]->btn.insert({step, int(b)}); }
  void Push(int player, CrsType c) { slot[player]->crs.insert({step, int(c)}); }
  DBGameData& G() { return SDt.DBGDt; }

  TSceneData SDt{};
  std::unique_ptr<TAllObTx> AOT;
  SoundLog OC;
  TGlobalSAI Glb{nullptr};
  TADISAI ADI{&Glb};
  ScriptedSlot* slot[TADISAI::SLOTS] = {};
  int step = 0;
};

}  // namespace menutest
