// The scene base (fade, music start) and the match scene (order of a step,
// intro, end of the match, next scene, side panels), run against recording
// doubles of the match objects and the sound controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/clsGenScene.h"
#include "graphics/ALAddLib.h"
#include "graphics/AlphaLib32.h"
#include "shell/GlbRecord.h"
#include "shell/clsAllTx.h"
#include "graphics/dddd.h"
#include "sound/OggDataLib.h"

namespace {

// Sound requests as "name:number@step".
class SoundLog : public TOggDataCtrl {
 public:
  int step = 0;
  std::vector<std::string> log;
  void SEPlay(int No) override { Add("SE", No); }
  void JglLoopPlay(int No) override {
    Add("JGL", No);
    playing = No;
  }
  void JglStop(int No) override {
    Add("JGLSTOP", No);
    playing = -1;
  }
  bool JglPlaying_f(int No) override { return No == playing; }
  void AllSoundStop() override { Add("ALLSTOP", 0); }
  int playing = -1;

 private:
  void Add(const char* what, int n) {
    log.push_back(std::string(what) + ":" + std::to_string(n) + "@" + std::to_string(step));
  }
};

class ObjectLog : public MatchObjects {
 public:
  std::vector<std::string> calls;
  bool dead[2] = {false, false};
  HPPanelLayout layout;
  struct Panel {
    std::string what;
    int a, b, x, y;
    bool mirror;
  };
  std::vector<Panel> panels;

  void CameraInit() override { calls.push_back("CameraInit"); }
  void BallOnInit() override { calls.push_back("BallOnInit"); }
  void PlayerOnInit(int s, int p) override {
    calls.push_back("PlayerOnInit" + std::to_string(s) + std::to_string(p));
  }
  void TeamOnInit(int s) override { calls.push_back("TeamOnInit" + std::to_string(s)); }
  void KickOff() override { calls.push_back("KickOff"); }
  void ClearDam() override { calls.push_back("ClearDam"); }
  void CameraReset() override { calls.push_back("CameraReset"); }
  void TeamOnMove(int s) override { calls.push_back("TeamOnMove" + std::to_string(s)); }
  void BallOnMove() override { calls.push_back("BallOnMove"); }
  void TeamOnReMove(int s) override { calls.push_back("TeamOnReMove" + std::to_string(s)); }
  void TeamOnSetOS(int s) override { calls.push_back("TeamOnSetOS" + std::to_string(s)); }
  void BallOnSetOS() override { calls.push_back("BallOnSetOS"); }
  void BallOnJudge() override { calls.push_back("BallOnJudge"); }
  void FDamMove() override { calls.push_back("FDamMove"); }
  bool AllDead(int s) override {
    calls.push_back("AllDead" + std::to_string(s));
    return dead[s];
  }
  void CameraFollowBall() override { calls.push_back("CameraFollowBall"); }
  void CourtDraw(int c) override { calls.push_back("CourtDraw" + std::to_string(c)); }
  void TeamOnDraw(int s) override { calls.push_back("TeamOnDraw" + std::to_string(s)); }
  void BallOnDraw() override { calls.push_back("BallOnDraw"); }
  HPPanelLayout PanelLayout() override { return layout; }
  void PanelFace(int t, int m, int x, int y, bool mirror) override {
    panels.push_back({"face", t, m, x, y, mirror});
  }
  void PanelName(const std::string&, int x, int y) override {
    panels.push_back({"name", 0, 0, x, y, false});
  }
  void PanelBar(int x, int y, int w) override { panels.push_back({"bar", w, 0, x, y, false}); }
  void FDamDraw() override { calls.push_back("FDamDraw"); }
  void TeamOnSave(int) override {}
  void TeamOnLoad(int) override {}
  void PlayerOnSave(int, int) override {}
  void PlayerOnLoad(int, int) override {}
  void BallOnSave() override {}
  void BallOnLoad() override {}
};

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRandSeed(12345);
    AOT.SDt = &SDt;
    Glb.OC = &OC;
  }
  DBGameData& G() { return SDt.DBGDt; }

  TSceneData SDt;
  TAllObTx AOT;
  TGlobalSAI Glb{nullptr};
  SoundLog OC;
};

TEST_F(SceneTest, FadeLightsAtOnceAndDrawsOneRandomPerLitStep) {
  TGenScene s(nullptr, &AOT, &Glb, stDBOP);
  s.OnInit();
  EXPECT_EQ(s.Light, 0);
  EXPECT_EQ(s.dL, 255);
  EXPECT_EQ(s.NextScene, stDBOP);
  ResetRandomDraws();
  s.OnMove();
  EXPECT_EQ(s.Light, 255);
  EXPECT_EQ(RandomDraws(), 1u);
  for (int i = 0; i < 5; ++i) s.OnMove();
  EXPECT_EQ(RandomDraws(), 6u);
  EXPECT_EQ(s.BLPat, 0);

  // A slow fade-in draws nothing until it is fully lit.
  s.OnInit();
  s.ChangeLight(-100);
  EXPECT_EQ(s.dL, 100);
  ResetRandomDraws();
  s.OnMove();
  s.OnMove();
  EXPECT_EQ(s.Light, 200);
  EXPECT_EQ(RandomDraws(), 0u);
  s.OnMove();
  EXPECT_EQ(s.Light, 255);
  EXPECT_EQ(RandomDraws(), 1u);

  // A fade-out stops at black with one draw, then holds without drawing.
  s.dL = -100;
  ResetRandomDraws();
  for (int i = 0; i < 5; ++i) s.OnMove();
  EXPECT_EQ(s.Light, 0);
  EXPECT_EQ(s.dL, 0);
  EXPECT_EQ(RandomDraws(), 1u);
  // A still, fully lit scene draws nothing either.
  s.Light = 255;
  s.OnMove();
  EXPECT_EQ(RandomDraws(), 1u);
}

TEST_F(SceneTest, FadeCoverIsQueuedOnlyByA3DRendererWhileUnlit) {
  TAlpha32SAI d3d(nullptr, nullptr, false, false, &Glb, 1, 100);
  TGenScene s(&d3d, &AOT, &Glb, stDBOP);
  s.OnInit();
  s.OnDraw();
  ASSERT_EQ(d3d.DrawObjectCount(), 1u);
  EXPECT_EQ(d3d.Entry(0).Pri, 255u);
  EXPECT_EQ(d3d.Entry(0).Color, 0xFF000000u);  // black, fully covering
  s.OnMove();
  s.OnDraw();
  EXPECT_EQ(d3d.DrawObjectCount(), 1u);
  TAlpha32SAI blits(&Glb);
  TGenScene t(&blits, &AOT, &Glb, stDBOP);
  t.OnInit();
  t.OnDraw();
  EXPECT_EQ(blits.DrawObjectCount(), 0u);
}

TEST_F(SceneTest, MenuMusicStartsOncePerEntryAndNotOverAPlayingJingle) {
  TBaseScene s(nullptr, &AOT, &Glb, stDBMSL);
  s.OnInit();
  EXPECT_EQ(s.Next_c, 1);
  EXPECT_FALSE(s.Next_f);
  s.SceneBGM(0);
  s.SceneBGM(0);
  ASSERT_EQ(OC.log.size(), 1u);
  EXPECT_EQ(OC.log[0], "JGL:0@0");
  // The next scene asks for the same music: it keeps playing.
  TBaseScene t(nullptr, &AOT, &Glb, stDBTSL);
  t.OnInit();
  t.SceneBGM(0);
  EXPECT_EQ(OC.log.size(), 1u);
  EXPECT_TRUE(t.BGM_f);
  // Entering the scene again lets it start its music again.
  s.OnInit();
  s.SceneBGM(1);
  EXPECT_EQ(OC.log.back(), "JGL:1@0");
}

// The match hub's kick-off: side 0's first player holds the ball and both
// teams regroup.
TEST_F(SceneTest, TheHubsKickOffHandsSideZeroTheBallAndRegroupsBothTeams) {
  TGlbConst table(false);
  GC = &table;
  TAllObj ao(nullptr, &AOT, &Glb);
  AOT.AO = &ao;
  auto hub = MakeHubMatchObjects(nullptr, &AOT, &Glb);
  hub->BallOnInit();
  for (int s = 0; s < 2; ++s) {
    for (int p = 0; p < 7; ++p) hub->PlayerOnInit(s, p);
    hub->TeamOnInit(s);
    ao.DBT[s]->TSt.PosReset_f = 0;
  }
  ao.DBall->MySt->Motion = dbbHold;  // so taking the ball does not regroup the teams itself
  hub->KickOff();
  EXPECT_EQ(ao.DBall->MySt->HoldTNo, 0);
  EXPECT_EQ(ao.DBall->MySt->HoldPNo, 0);
  for (int s = 0; s < 2; ++s) EXPECT_EQ(ao.DBT[s]->TSt.PosReset_f, 1) << s;
  AOT.AO = nullptr;
  GC = nullptr;
}

class MatchTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene = std::make_unique<TDBScene>(nullptr, &AOT, &Glb, stDB);
    scene->SetObjects(&obj);
    EXPECT_EQ(scene->GameMode, gmtDB);
  }
  // Runs steps until n steps of the match have been taken.
  void StepTo(int n) {
    while (OC.step < n) {
      ++OC.step;
      scene->OnMove();
    }
  }
  int StepOf(const std::string& prefix) {
    for (auto& e : OC.log)
      if (e.rfind(prefix, 0) == 0) return std::stoi(e.substr(e.find('@') + 1));
    return -1;
  }
  std::unique_ptr<TDBScene> scene;
  ObjectLog obj;
};

TEST_F(MatchTest, StartInitialisesTheObjectsInOrderAndPicksACourt) {
  scene->OnLoad();  // loading the scene starts it as entering it does
  std::vector<std::string> want = {"CameraInit", "BallOnInit"};
  for (int s = 0; s < 2; ++s) {
    for (int p = 0; p < 7; ++p) want.push_back("PlayerOnInit" + std::to_string(s) + std::to_string(p));
    want.push_back("TeamOnInit" + std::to_string(s));
  }
  for (auto c : {"KickOff", "ClearDam", "CameraReset"}) want.push_back(c);
  EXPECT_EQ(obj.calls, want);
  EXPECT_GE(G().DBCrtNo, 0);
  EXPECT_LE(G().DBCrtNo, 2);
  EXPECT_EQ(G().DBSSt, dbssReady);
  EXPECT_EQ(scene->Winner, -1);
  EXPECT_EQ(OC.log.back(), "ALLSTOP:0@0");
}

TEST_F(MatchTest, EveryStepRunsTheObjectsInTheFixedOrder) {
  scene->OnInit();
  obj.calls.clear();
  scene->OnMove();
  std::vector<std::string> want = {"TeamOnMove0",   "TeamOnMove1",   "BallOnMove",
                                   "TeamOnReMove0", "TeamOnReMove1", "TeamOnSetOS0",
                                   "TeamOnSetOS1",  "BallOnSetOS",   "BallOnJudge",
                                   "TeamOnReMove0", "TeamOnReMove1", "FDamMove",
                                   "AllDead0",      "AllDead1"};
  EXPECT_EQ(obj.calls, want);
}

TEST_F(MatchTest, IntroSoundOnTheSecondStepAndCourtMusicOnThe220th) {
  scene->OnInit();
  G().DBCrtNo = 1;
  OC.log.clear();
  StepTo(1);
  EXPECT_TRUE(OC.log.empty());
  StepTo(219);
  EXPECT_EQ(StepOf("SE:18"), 2);
  EXPECT_EQ(G().DBSSt, dbssReady);
  StepTo(230);
  EXPECT_EQ(StepOf("JGL:3"), 220);
  EXPECT_EQ(G().DBSSt, dbssShiai);
  EXPECT_EQ(OC.log.size(), 2u);
}

TEST_F(MatchTest, ResultSoundAndSwitchAreCountedFromTheDetectingStep) {
  scene->OnInit();
  G().DBGM = dbgmTaisen;
  G().DBCPUNum = 0;
  OC.log.clear();
  StepTo(300);
  obj.dead[1] = true;
  StepTo(301);
  EXPECT_EQ(scene->Winner, 0);
  EXPECT_EQ(scene->Win_c, 1);
  EXPECT_EQ(StepOf("JGLSTOP:-1"), 301);
  StepTo(800);
  // The 90th and 450th steps counting the detecting step as the first.
  EXPECT_EQ(StepOf("SE:19"), 390);
  EXPECT_EQ(G().DBSSt, dbssResult);
  EXPECT_EQ(StepOf("ALLSTOP"), 750);
  EXPECT_EQ(scene->NextScene, stDBMSL);
}

TEST_F(MatchTest, BothSidesDownInOneStepGoesToSideZero) {
  scene->OnInit();
  obj.dead[0] = obj.dead[1] = true;
  StepTo(1);
  EXPECT_EQ(scene->Winner, 0);
  EXPECT_EQ(scene->Win_c, 1);
  // Once decided, a later fall changes nothing.
  obj.dead[0] = true;
  obj.dead[1] = false;
  StepTo(2);
  EXPECT_EQ(scene->Winner, 0);
}

struct NextCase {
  DBGameMode gm;
  int cpu;
  bool side0Wins;
  int stage;
  SceneType next;
  int stageAfter;
  int resultSE;
};

class NextSceneTest : public MatchTest, public ::testing::WithParamInterface<NextCase> {};

TEST_P(NextSceneTest, TheModePicksTheSceneAfterTheMatch) {
  const NextCase& c = GetParam();
  scene->OnInit();
  G().DBGM = c.gm;
  G().DBCPUNum = uint8_t(c.cpu);
  G().DBStage = c.stage;
  obj.dead[c.side0Wins ? 1 : 0] = true;
  StepTo(460);
  EXPECT_EQ(scene->NextScene, c.next);
  EXPECT_EQ(G().DBStage, c.stageAfter);
  EXPECT_EQ(StepOf("SE:" + std::to_string(c.resultSE)), 90);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, NextSceneTest,
    ::testing::Values(NextCase{dbgmKatinuki, 1, true, 0, stDBTSL, 1, 19},
                      NextCase{dbgmKatinuki, 1, true, 22, stDBTSL, 23, 19},
                      NextCase{dbgmKatinuki, 1, true, 23, stDBMSL, 0, 19},
                      NextCase{dbgmKatinuki, 1, false, 5, stDBMSL, 5, 20},
                      NextCase{dbgmTaisen, 0, false, 0, stDBMSL, 0, 19},
                      NextCase{dbgmKansen, 2, false, 0, stDBTSL, 0, 19},
                      NextCase{dbgmKansen, 2, true, 0, stDBTSL, 0, 19}),
    [](const ::testing::TestParamInfo<NextCase>& i) { return "Case" + std::to_string(i.index); });

TEST_F(MatchTest, DrawingHidesTheBallInTheResultAndCyclesTheCursor) {
  scene->OnInit();
  G().DBCrtNo = 2;
  obj.calls.clear();
  scene->OnDraw();
  std::vector<std::string> want = {"CameraFollowBall", "CourtDraw2", "TeamOnDraw0",
                                   "TeamOnDraw1",      "BallOnDraw", "FDamDraw"};
  EXPECT_EQ(obj.calls, want);
  EXPECT_EQ(scene->dL, 16);
  EXPECT_EQ(G().DBCsl_c, 30);
  scene->OnDraw();
  EXPECT_EQ(G().DBCsl_c, 29);
  G().DBSSt = dbssResult;
  obj.calls.clear();
  scene->OnDraw();
  EXPECT_EQ(std::count(obj.calls.begin(), obj.calls.end(), "BallOnDraw"), 0);
}

TEST_F(MatchTest, SidePanelsPlaceFacesNamesAndRoundedBars) {
  scene->OnInit();
  obj.layout = HPPanelLayout{10, 200, 60, 20, 300, 18, 2, 0, 0, 18, 12};
  G().DBTeamNo[0] = 3;
  G().DBTeamNo[1] = 23;
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 7; ++k) G().DBCharofP[s][k] = 6 - k;
  AOT.ADBPSt[0][0].HP = 1;
  AOT.ADBPSt[0][1].HP = 0;
  AOT.ADBPSt[0][2].HP = 13;
  AOT.ADBPSt[0][3].HP = 16;
  AOT.ADBPSt[1][3].HP = -5;
  scene->OnDraw();
  std::vector<ObjectLog::Panel> bars, faces;
  for (auto& p : obj.panels) (p.what == "bar" ? bars : p.what == "face" ? faces : bars).push_back(p);
  ASSERT_EQ(faces.size(), 8u);
  // Side 1, infield position 3: second column, second row, mirrored face.
  EXPECT_EQ(faces[7].a, 23);
  EXPECT_EQ(faces[7].b, 3);
  EXPECT_EQ(faces[7].x, 60 + 10 + 300);
  EXPECT_EQ(faces[7].y, 20 + 200);
  EXPECT_TRUE(faces[7].mirror);
  EXPECT_FALSE(faces[0].mirror);
  // Bars: HP 1 -> 4 px, 0 -> none, 13 -> 16, 16 -> 16, negative -> none.
  std::vector<int> widths;
  for (auto& p : obj.panels)
    if (p.what == "bar") widths.push_back(p.a);
  EXPECT_EQ(widths, (std::vector<int>{4, 16, 16}));
  EXPECT_EQ(obj.panels[2].x, 10 + 18);  // first bar of side 0, position 0
  EXPECT_EQ(obj.panels[2].y, 200 + 12);
}

TEST_F(MatchTest, PanelsOfUnplacedMembersDrawNothing) {
  scene->OnInit();
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 7; ++k) G().DBCharofP[s][k] = -1;
  G().DBTeamNo[1] = 200;
  scene->OnDraw();
  EXPECT_TRUE(obj.panels.empty());
}

}  // namespace

namespace {

// Glyph cells the font queued, counted.
class GlyphCount : public FontTarget {
 public:
  bool LoadFont(const std::string&) override { return true; }
  void FreeFont() override {}
  void GlyphLT(int32_t, int32_t, float, float, int32_t, uint8_t, uint32_t) override { ++lt; }
  void GlyphC(int32_t, int32_t, float, float, int32_t, uint8_t, uint32_t) override { ++centred; }
  int lt = 0, centred = 0;
};

TEST_F(SceneTest, TheHubHandsDamageNumbersAndNamesToTheFont) {
  GlyphCount glyphs;
  TFontDraw font(&glyphs, "data\\");
  Glb.FD = &font;
  auto hub = MakeHubMatchObjects(nullptr, &AOT, &Glb);
  font.FDamSet(10000, 0, 5000, 12, true);
  hub->FDamDraw();
  EXPECT_GT(glyphs.centred, 0);
  // A new match starts without the last one's numbers.
  glyphs.centred = 0;
  hub->ClearDam();
  hub->FDamDraw();
  EXPECT_EQ(glyphs.centred, 0);
  hub->PanelName("\x82\xA0\x82\xA2", 10, 20);  // two hiragana
  EXPECT_EQ(glyphs.lt, 2);
  Glb.FD = nullptr;
  // The side panels take every value of the tuning table's layout section.
  TGlbConst table(false);
  table.DB.DBLAYOUT_1 = DBLAYOUT_1Rec{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, {}};
  GC = &table;
  const HPPanelLayout lo = hub->PanelLayout();
  GC = nullptr;
  EXPECT_EQ(std::vector<int>({lo.BASEX, lo.BASEY, lo.DISTX, lo.DISTY, lo.DISTX2, lo.NAME_BX,
                              lo.NAME_BY, lo.FACE_BX, lo.FACE_BY, lo.HPBAR_BX, lo.HPBAR_BY}),
            std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

}  // namespace

namespace {

// The panels' faces and bars as the renderer queues them, with a stand-in tile
// in the face and item textures (a renderer without a display loads nothing).
TEST_F(SceneTest, TheHubQueuesPanelFacesAndBarsAtThePanelsPriority) {
  TDDDDGenSurface tile{nullptr, nullptr, 256, 256};
  TAlpha32SAI al{nullptr, nullptr, true, false, nullptr, 1, 64};
  al.SetAspectCentre(0, 0);
  TAllTx at(&al, nullptr);
  TALLtxChar ac(&al, &Glb, nullptr);
  for (TALTexture* tx : {&at.DBItemtx, &ac.txAllFaceDB[3][2]}) {
    tx->ALSt = alsOK;
    tx->Texture = {{&tile}};
    tx->BmpWidth = 256;
    tx->BmpHeight = 256;
  }
  AOT.AT = &at;
  AOT.AC = &ac;
  auto hub = MakeHubMatchObjects(&al, &AOT, &Glb);
  hub->PanelFace(3, 2, 40, 8, true);
  hub->PanelBar(56, 16, 12);
  hub->PanelBar(56, 16, 0);      // no hit points, no bar
  hub->PanelFace(24, 0, 0, 0, false);  // no such team
  ASSERT_EQ(al.DrawObjectCount(), 2u);
  EXPECT_EQ(al.Entry(0).Pri, 1000);
  EXPECT_EQ(al.Entry(0).dx[0], 40.0f);
  EXPECT_EQ(al.Entry(0).Color & 0xFFFFFF, 0xFFFFFFu);  // faces keep their own colours
  EXPECT_EQ(al.Entry(1).Pri, 1000);
  EXPECT_EQ(al.Entry(1).dy[0], 16.0f);
  // The bar is the item sheet's row at (0, 96), 8 high, cut to the width given.
  const TDRAWDATA& bar = al.Entry(1);
  EXPECT_EQ(*std::min_element(bar.sx, bar.sx + 4), 0.0f);
  EXPECT_EQ(*std::max_element(bar.sx, bar.sx + 4), 12.0f);
  EXPECT_EQ(*std::min_element(bar.sy, bar.sy + 4), 96.0f);
  EXPECT_EQ(*std::max_element(bar.sy, bar.sy + 4), 104.0f);
  al.Rendering();
  for (TALTexture* tx : {&at.DBItemtx, &ac.txAllFaceDB[3][2]}) *tx = TALTexture{};
  AOT.AT = nullptr;
  AOT.AC = nullptr;
}

}  // namespace
