// The title and mode select scenes, driven step by step with scripted input
// on recording device slots and a recording sound controller.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "input/DILib.h"
#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/clsMenuScene.h"
#include "sound/OggDataLib.h"
#include "tests/MenuTestKit.h"

namespace {

using namespace menutest;

class MenuSceneTest : public MenuFixture {};

TEST_F(MenuSceneTest, TitleEntryClearsSettingsButKeepsDifficultyAndRule) {
  G().DBDif = dbdfHard;
  G().DBSlow_f = 1;
  G().DBGM = dbgmKansen;
  G().DBCPUNum = 2;
  G().DBStage = 7;
  G().DBTeamNo[1] = 9;
  G().DBCrtNo = 2;
  TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
  EXPECT_EQ(G().DBDif, dbdfHard);
  EXPECT_EQ(G().DBSlow_f, 1);
  EXPECT_EQ(G().DBGM, dbgmKatinuki);
  EXPECT_EQ(G().DBCPUNum, 0);
  EXPECT_EQ(G().DBStage, 0);
  EXPECT_EQ(G().DBTeamNo[1], 0);
  EXPECT_EQ(G().DBCrtNo, 0);
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(G().DBPosofC[s][i], -1);
      EXPECT_EQ(G().DBCharofP[s][i], -1);
    }
  EXPECT_EQ(op.NextScene, stDBOP);
  EXPECT_EQ(op.Next_c, 1);
}

TEST_F(MenuSceneTest, TitleLeavesOneStepAfterAPushOnAnySlot) {
  for (int which = 0; which < TADISAI::SLOTS; ++which) {
    SCOPED_TRACE(which);
    TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
    int pushAt = step + 3;
    slot[which]->btn.insert({pushAt, bA});
    while (step < pushAt) {
      Step(op);
      EXPECT_EQ(op.NextScene, stDBOP);
      EXPECT_FALSE(op.Next_f);
    }
    Step(op);  // the push
    EXPECT_TRUE(op.Next_f);
    EXPECT_EQ(op.Next_c, 0);
    EXPECT_EQ(op.NextScene, stDBOP);
    Step(op);  // one more step, then the switch
    EXPECT_EQ(op.NextScene, stDBMSL);
  }
}

TEST_F(MenuSceneTest, TitleIgnoresOtherButtonsAndStartsMusicOnce) {
  TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
  slot[0]->btn.insert({1, bB});
  slot[1]->btn.insert({2, bST});
  for (int i = 0; i < 5; ++i) Step(op);
  EXPECT_FALSE(op.Next_f);
  EXPECT_EQ(op.NextScene, stDBOP);
  EXPECT_EQ(OC.log, std::vector<std::string>{"JGL0@0"});
  EXPECT_EQ(op.Light, 255);  // fully lit after the first step
}

TEST_F(MenuSceneTest, ModeSelectCursorsStayInBoundsAndSoundOnlyOnRealChanges) {
  TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
  TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
  ScriptedSlot& p1 = *slot[0];
  // Step 0: up at mode 0, left at difficulty 0: nothing. Step 1: down, right.
  p1.crs = {{0, cU}, {0, cL}, {1, cD}, {1, cR}, {2, cD}, {2, cR}, {3, cD}, {3, cR},
            {4, cR}, {5, cU}, {5, cL}};
  std::vector<std::pair<int, int>> seen;
  for (int i = 0; i < 6; ++i) {
    Step(msl);
    seen.push_back({G().DBGM, G().DBDif});
  }
  std::vector<std::pair<int, int>> want = {{0, 0}, {1, 1}, {2, 2}, {2, 2}, {2, 2}, {1, 1}};
  EXPECT_EQ(seen, want);
  // Two sounds in each of steps 1, 2 and 5; none at the bounds.
  EXPECT_EQ(OC.log, (std::vector<std::string>{"JGL0@0", "SE0@1", "SE0@1", "SE0@2", "SE0@2",
                                                "SE0@5", "SE0@5"}));
  EXPECT_EQ(msl.NextScene, stDBMSL);
}

TEST_F(MenuSceneTest, ModeSelectReadsPlayerOneOnly) {
  TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
  slot[1]->crs = {{0, cD}, {0, cR}};
  slot[1]->btn = {{1, bA}};
  slot[2]->btn = {{1, bA}};
  for (int i = 0; i < 4; ++i) Step(msl);
  EXPECT_EQ(G().DBGM, 0);
  EXPECT_EQ(G().DBDif, 0);
  EXPECT_FALSE(msl.Next_f);
  EXPECT_EQ(slot[1]->asked, 0);
}

TEST_F(MenuSceneTest, ModeSelectLeavesForTeamSelectWithComputerSidesByMode) {
  const int cpu[3] = {1, 0, 2};
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    G().DBGM = DBGameMode(mode);
    TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
    EXPECT_EQ(G().DBGM, mode);  // the cursor starts where it was left
    slot[0]->btn.insert({step, bA});
    // After A the cursors are frozen.
    slot[0]->crs.insert({step + 1, cU});
    OC.log.clear();
    Step(msl);
    EXPECT_TRUE(msl.Next_f);
    EXPECT_EQ(msl.NextScene, stDBMSL);
    Step(msl);
    EXPECT_EQ(msl.NextScene, stDBTSL);
    EXPECT_EQ(G().DBCPUNum, cpu[mode]);
    EXPECT_EQ(G().DBGM, mode);
    int se = 0;
    for (auto& l : OC.log) se += l.rfind("SE0", 0) == 0;
    EXPECT_EQ(se, 1);
  }
}

TEST_F(MenuSceneTest, ModeSelectBlinkCountsZeroToTwentyNine) {
  TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
  std::vector<int> ani;
  for (int i = 0; i < 31; ++i) {
    Step(msl);
    ani.push_back(msl.Ani_c);
  }
  EXPECT_EQ(ani[0], 1);
  EXPECT_EQ(ani[28], 29);
  EXPECT_EQ(ani[29], 0);
  EXPECT_EQ(ani[30], 1);
}

TEST_F(MenuSceneTest, TitleToModeSelectThroughTheWholeChainIsReproducible) {
  // The same script and seed give the same settings and the same random state.
  auto run = [&] {
    SetRandSeed(99);
    G() = DBGameData{};
    step = 0;
    for (auto* s : slot) {
      s->step = 0;
      s->btn.clear();
      s->crs.clear();
    }
    OC.step = 0;
    TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
    TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
    slot[1]->btn = {{4, bA}};
    slot[0]->crs = {{8, cD}, {9, cD}, {10, cR}};
    slot[0]->btn = {{12, bA}};
    TGenScene* cur = &op;
    for (int i = 0; i < 20 && cur->NextScene != stDBTSL; ++i) {
      Step(*cur);
      if (cur->NextScene == stDBMSL && cur == &op) {
        cur = &msl;
        msl.OnInit();
      }
    }
    return std::tuple(int(cur->NextScene), int(G().DBGM), int(G().DBDif), int(G().DBCPUNum),
                      RandSeed(), step);
  };
  auto a = run();
  auto b = run();
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::get<0>(a), stDBTSL);
  EXPECT_EQ(std::get<1>(a), dbgmKansen);
  EXPECT_EQ(std::get<2>(a), dbdfNomal);
  EXPECT_EQ(std::get<3>(a), 2);
  EXPECT_EQ(std::get<5>(a), 14);  // A at step 4, switch after step 5; A at 12, switch after 13
}

}  // namespace

#include "graphics/dddd.h"
#include "shell/clsAllTx.h"

namespace {

// The scenes' draws as the renderer queues them, with stand-in tiles in the
// texture slots (a renderer without a display loads nothing itself).
class MenuDrawTest : public MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    al.SetAspectCentre(0, 0);
    AT = std::make_unique<TAllTx>(&al, nullptr);
    for (TALTexture* tx : {&AT->DBOPtx, &AT->DBMSLtx, &AT->DBItemtx, &AT->DBCourttx[0],
                           &AT->DBCourttx[1], &AT->DBCourttx[2]}) {
      tx->ALSt = alsOK;
      tx->Texture = {{&tile}};
      tx->BmpWidth = 512;
      tx->BmpHeight = 240;
    }
    AOT->AT = AT.get();
  }
  void TearDown() override {
    // The stand-in tile is not the renderer's to free.
    for (TALTexture* tx : {&AT->DBOPtx, &AT->DBMSLtx, &AT->DBItemtx, &AT->DBCourttx[0],
                           &AT->DBCourttx[1], &AT->DBCourttx[2]})
      *tx = TALTexture{};
    AOT->AT = nullptr;
  }
  struct Quad {
    int pri;
    float left, top;
    uint32_t color;
  };
  std::vector<Quad> Queued() {
    std::vector<Quad> q;
    for (uint32_t i = 0; i < al.DrawObjectCount(); ++i)
      q.push_back({int(al.Entry(i).Pri), al.Entry(i).dx[0], al.Entry(i).dy[0], al.Entry(i).Color});
    al.Rendering();
    return q;
  }
  TDDDDGenSurface tile{nullptr, nullptr, 1024, 1024};
  TAlpha32SAI al{nullptr, nullptr, true, false, nullptr, 1, 64};
  std::unique_ptr<TAllTx> AT;
};

TEST_F(MenuDrawTest, TitleDrawsItsPictureCentredBehindEverything) {
  TDBOPScene op(&al, AOT.get(), &Glb, stDBOP);
  op.OnMove();
  op.OnDraw();
  auto q = Queued();
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].pri, 12);
  EXPECT_EQ(q[0].left, 0.0f);
  EXPECT_EQ(q[0].top, 0.0f);
  EXPECT_EQ(q[0].color & 0xFFFFFF, 0xFFFFFFu);  // drawn in its own colours
}

TEST_F(MenuDrawTest, ModeSelectCursorsBlinkAtTheChosenPlaces) {
  G().DBGM = dbgmTaisen;
  G().DBDif = dbdfHard;
  TDBMSLScene msl(&al, AOT.get(), &Glb, stDBMSL);
  std::vector<size_t> counts;
  for (int i = 0; i < 30; ++i) {
    msl.OnMove();
    msl.OnDraw();
    auto q = Queued();
    counts.push_back(q.size());
    if (i == 0) {
      ASSERT_EQ(q.size(), 3u);
      EXPECT_EQ(q[1].pri, 13);
      EXPECT_EQ(q[1].left, 176.0f + 120.0f);  // difficulty cursor, hard
      EXPECT_EQ(q[1].top, 208.0f);
      EXPECT_EQ(q[2].left, 176.0f);  // mode cursor, versus
      EXPECT_EQ(q[2].top, 48.0f + 16.0f);
    }
  }
  // Ani_c runs 1..14 with cursors, 15..29 without, then 0 with.
  for (int i = 0; i < 30; ++i) EXPECT_EQ(counts[size_t(i)], i < 14 || i == 29 ? 3u : 1u) << i;
  // A difficulty the menu does not have shows the cursor on normal.
  G().DBDif = DBDifficulty(7);
  msl.OnDraw();
  auto q = Queued();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[1].left, 176.0f);
  EXPECT_EQ(q[1].color & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(MenuDrawTest, CourtDrawsCourtsOneAndTwoAndAnythingElseAsZero) {
  TGlobalSAI g{nullptr};
  TBGCtrlSAI bgc(&al, AT.get(), &g);
  for (int court : {0, 1, 2, 3, -1}) {
    bgc.OnDrawDB(court);
    EXPECT_EQ(bgc.LastCourt, court == 1 || court == 2 ? court : 0);
    auto q = Queued();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].pri, 90);
    EXPECT_EQ(q[0].left, 0.0f);
    EXPECT_EQ(q[0].top, 0.0f);
  }
}

}  // namespace
