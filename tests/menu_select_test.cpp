// Team select, versus and player select, driven step by step with scripted
// device slots; then the whole menu chain from the title to the match.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "graphics/dddd.h"
#include "shell/clsAllTx.h"
#include "shell/clsMenuScene.h"
#include "tests/MenuTestKit.h"

namespace {

using namespace menutest;

class TeamSelectTest : public MenuFixture {
 protected:
  std::unique_ptr<TDBTSLScene> Enter(DBGameMode mode) {
    G().DBGM = mode;
    G().DBCPUNum = mode == dbgmKatinuki ? 1 : mode == dbgmTaisen ? 0 : 2;
    return std::make_unique<TDBTSLScene>(nullptr, AOT.get(), &Glb, stDBTSL);
  }
};

TEST_F(TeamSelectTest, VersusBothPlayersPickWithWrapAndPlayerTwoWaitsOnPlayerOnesConfirm) {
  auto tsl = Enter(dbgmTaisen);
  Push(0, cL);  // 0 wraps to 23
  Push(1, cR);
  Step(*tsl);
  EXPECT_EQ(G().DBTeamNo[0], 23);
  EXPECT_EQ(G().DBTeamNo[1], 1);
  Push(0, cR);  // 23 wraps to 0
  Step(*tsl);
  EXPECT_EQ(G().DBTeamNo[0], 0);
  // Player 1 confirms; player 2's right in the same step is not read.
  Push(0, bA);
  Push(1, cR);
  Step(*tsl);
  EXPECT_TRUE(tsl->OK_f[0]);
  EXPECT_EQ(G().DBTeamNo[1], 1);
  // A decided side no longer moves.
  Push(0, cR);
  Push(1, cL);
  Step(*tsl);
  EXPECT_EQ(G().DBTeamNo[0], 0);
  EXPECT_EQ(G().DBTeamNo[1], 0);
  EXPECT_FALSE(tsl->Next_f);
  Push(1, bA);
  Step(*tsl);
  EXPECT_TRUE(tsl->Next_f);
  EXPECT_EQ(tsl->NextScene, stDBTSL);
  Step(*tsl);
  EXPECT_EQ(tsl->NextScene, stDBVS);
  EXPECT_EQ(OC.Count("SE0"), 6);  // four moves, two confirms
  EXPECT_EQ(OC.log.back(), "STOP@5");
  EXPECT_EQ(OC.Count("JGL0"), 1);
}

TEST_F(TeamSelectTest, BTakesBackADecidedSidesChoice) {
  auto tsl = Enter(dbgmTaisen);
  Push(0, bA);
  Step(*tsl);
  ASSERT_TRUE(tsl->OK_f[0]);
  Push(1, bB);  // player 2, still choosing, has nothing to take back
  Step(*tsl);
  EXPECT_TRUE(tsl->OK_f[0]);
  Push(0, bB);  // player 1 takes back his own
  Step(*tsl);
  EXPECT_FALSE(tsl->OK_f[0]);
  Push(1, bA);
  Step(*tsl);
  Push(1, bB);  // side 0 undecided: player 2 takes back his own
  Step(*tsl);
  EXPECT_FALSE(tsl->OK_f[1]);
  EXPECT_EQ(tsl->NextScene, stDBTSL);
}

TEST_F(TeamSelectTest, KnockOutOpponentIsTheStageAndOnlyPlayerOneChooses) {
  G().DBStage = 5;
  auto tsl = Enter(dbgmKatinuki);
  Push(0, cR);  // the first step only sets the opponent
  Step(*tsl);
  EXPECT_TRUE(tsl->OK_f[1]);
  EXPECT_EQ(G().DBTeamNo[1], 5);
  EXPECT_EQ(G().DBTeamNo[0], 0);
  Push(1, cR);  // player 2 cannot move the computer's side
  Push(0, cR);
  Step(*tsl);
  EXPECT_EQ(G().DBTeamNo[0], 1);
  EXPECT_EQ(G().DBTeamNo[1], 5);
  Push(0, bA);
  Step(*tsl);
  EXPECT_TRUE(tsl->Next_f);
  Step(*tsl);
  EXPECT_EQ(tsl->NextScene, stDBVS);
  EXPECT_EQ(G().DBTeamNo[0], 1);
  EXPECT_EQ(G().DBTeamNo[1], 5);
}

TEST_F(TeamSelectTest, KnockOutPlayerTwoUndoesPlayerOneBeforeHeConfirmsTheOther) {
  auto tsl = Enter(dbgmKatinuki);
  Step(*tsl);
  Push(0, cR);
  Step(*tsl);
  // Side 0 decided by a direct set: player 2's B in a step of his turn.
  tsl->OK_f[0] = true;
  Push(1, bB);
  Step(*tsl);
  EXPECT_FALSE(tsl->OK_f[0]);
  EXPECT_TRUE(tsl->OK_f[1]);
}

TEST_F(TeamSelectTest, WatchModeCountsUpEveryFifteenStepsToTheComputersTeams) {
  auto tsl = Enter(dbgmKansen);
  tsl->CPUTEAM[0] = 2;
  tsl->CPUTEAM[1] = 3;
  std::vector<std::array<int, 2>> seen;
  for (int i = 0; i < 62 && tsl->NextScene == stDBTSL; ++i) {
    Push(0, cR);  // nobody's directions count in watch mode
    Push(1, bA);
    Step(*tsl);
    seen.push_back({G().DBTeamNo[0], G().DBTeamNo[1]});
  }
  // Ticks at steps 0, 15, 30, 45, 60. Side 0 reaches 2 at the third tick and
  // ends that tick's turns, so side 1 loses one count.
  EXPECT_EQ(seen[0], (std::array<int, 2>{1, 1}));
  EXPECT_EQ(seen[14], (std::array<int, 2>{1, 1}));
  EXPECT_EQ(seen[15], (std::array<int, 2>{2, 2}));
  EXPECT_EQ(seen[30], (std::array<int, 2>{2, 2}));
  EXPECT_TRUE(tsl->OK_f[0]);
  EXPECT_EQ(seen[45], (std::array<int, 2>{2, 3}));
  EXPECT_EQ(seen[60], (std::array<int, 2>{2, 3}));
  EXPECT_EQ(seen.size(), 62u);
  EXPECT_EQ(tsl->NextScene, stDBVS);
  EXPECT_EQ(OC.Count("SE0"), 7);
}

TEST_F(TeamSelectTest, WatchModePlayerOnesBReturnsToModeSelect) {
  auto tsl = Enter(dbgmKansen);
  Steps(*tsl, 3);
  Push(1, bB);  // player 2's B does nothing
  Step(*tsl);
  EXPECT_EQ(tsl->NextScene, stDBTSL);
  Push(0, bB);
  Step(*tsl);
  EXPECT_EQ(tsl->NextScene, stDBMSL);
  EXPECT_EQ(OC.log.back(), "STOP@4");
}

TEST_F(TeamSelectTest, ComputerPicksAreBelowTwentyThreeAndTheEntryResetsTeams) {
  std::set<int> picks[2];
  for (int i = 0; i < 400; ++i) {
    G().DBTeamNo[0] = G().DBTeamNo[1] = 9;
    TDBTSLScene tsl(nullptr, AOT.get(), &Glb, stDBTSL);
    picks[0].insert(tsl.CPUTEAM[0]);
    picks[1].insert(tsl.CPUTEAM[1]);
    ASSERT_EQ(G().DBTeamNo[0], 0);
    ASSERT_EQ(G().DBTeamNo[1], 0);
  }
  for (const auto& p : picks) {
    EXPECT_EQ(*p.begin(), 0);
    EXPECT_EQ(*p.rbegin(), 22);
  }
  // Entering again takes back both sides' confirmations.
  TDBTSLScene tsl(nullptr, AOT.get(), &Glb, stDBTSL);
  tsl.OK_f[0] = tsl.OK_f[1] = true;
  tsl.OnInit();
  EXPECT_FALSE(tsl.OK_f[0]);
  EXPECT_FALSE(tsl.OK_f[1]);
}

class VersusTest : public MenuFixture {};

TEST_F(VersusTest, FanfareOnceThenPlayerOnesAGoesToPlayerSelect) {
  for (auto& row : G().DBPosofC) row[3] = 2;
  TDBVSScene vs(nullptr, AOT.get(), &Glb, stDBVS);
  EXPECT_EQ(G().DBPosofC[0][3], -1);
  EXPECT_EQ(G().DBCharofP[1][6], -1);
  Push(1, bA);
  Steps(vs, 4);
  EXPECT_FALSE(vs.Next_f);
  Push(0, bA);
  Step(vs);
  EXPECT_EQ(vs.Next_c, 0);
  EXPECT_EQ(vs.NextScene, stDBVS);
  Step(vs);
  EXPECT_EQ(vs.NextScene, stDBPSL);
  EXPECT_EQ(OC.log, (std::vector<std::string>{"PLAY17@0", "STOP@5"}));
  EXPECT_FALSE(Glb.Halt_f);
}

TEST_F(VersusTest, ARendererErrorHaltsWhenLeaving) {
  TAlpha32SAI al{nullptr, nullptr, true, false, nullptr, 1, 64};
  TDBVSScene vs(&al, AOT.get(), &Glb, stDBVS);
  al.ErrOn();
  Push(0, bA);
  Steps(vs, 2);
  EXPECT_TRUE(Glb.Halt_f);
  EXPECT_EQ(Glb.ErrMsg, "ALib Err");
}

class PlayerSelectTest : public MenuFixture {
 protected:
  std::unique_ptr<TDBPSLScene> Enter(DBGameMode mode) {
    G().DBGM = mode;
    G().DBCPUNum = mode == dbgmKatinuki ? 1 : mode == dbgmTaisen ? 0 : 2;
    TDBVSScene vs(nullptr, AOT.get(), &Glb, stDBVS);  // clears the placing
    auto psl = std::make_unique<TDBPSLScene>(nullptr, AOT.get(), &Glb, stDBPSL);
    psl->SetObjects(&rec);
    return psl;
  }
  std::array<int, 7> CharofP(int s) {
    std::array<int, 7> a;
    for (int i = 0; i < 7; ++i) a[size_t(i)] = G().DBCharofP[s][i];
    return a;
  }
  // Placing and member tables agree, every placed member once.
  void ExpectConsistent(int s) {
    const TDBPSLSceneDt& d = psl_->Dt[s];
    for (int p = 0; p < 7; ++p) {
      int m = G().DBCharofP[s][p];
      if (p < d.PosNo) {
        ASSERT_GE(m, 0);
        EXPECT_EQ(G().DBPosofC[s][m], p);
        EXPECT_TRUE(d.OKChar_f[m]);
      } else {
        EXPECT_EQ(m, -1);
      }
    }
  }
  MatchRecorder rec;
  TDBPSLScene* psl_ = nullptr;
};

TEST_F(PlayerSelectTest, CursorWrapsAndSkipsPlacedMembersBothWays) {
  auto psl = Enter(dbgmTaisen);
  psl_ = psl.get();
  Push(0, cU);  // 0 back to 6
  Step(*psl);
  EXPECT_EQ(psl->Dt[0].CslNo, 6);
  Push(0, bA);  // member 6 on position 0; the cursor goes on to 0
  Step(*psl);
  EXPECT_EQ(G().DBCharofP[0][0], 6);
  EXPECT_EQ(G().DBPosofC[0][6], 0);
  EXPECT_EQ(psl->Dt[0].CslNo, 0);
  Push(0, cU);  // back from 0 skips 6
  Step(*psl);
  EXPECT_EQ(psl->Dt[0].CslNo, 5);
  Push(0, cD);  // forward from 5 skips 6
  Step(*psl);
  EXPECT_EQ(psl->Dt[0].CslNo, 0);
  ExpectConsistent(0);
}

TEST_F(PlayerSelectTest, CompleteSideHidesCursorAndBTakesBackTheLastPosition) {
  auto psl = Enter(dbgmTaisen);
  psl_ = psl.get();
  for (int k = 0; k < 7; ++k) {
    Push(0, bA);
    Step(*psl);
  }
  EXPECT_TRUE(psl->Dt[0].OK_f);
  EXPECT_EQ(psl->Dt[0].PosNo, 7);
  EXPECT_EQ(CharofP(0), (std::array<int, 7>{0, 1, 2, 3, 4, 5, 6}));
  ExpectConsistent(0);
  Push(0, bA);  // nothing left to place
  Step(*psl);
  EXPECT_EQ(psl->Dt[0].PosNo, 7);
  Push(0, bB);
  Step(*psl);
  EXPECT_FALSE(psl->Dt[0].OK_f);
  EXPECT_EQ(psl->Dt[0].PosNo, 6);
  EXPECT_EQ(psl->Dt[0].CslNo, 6);
  EXPECT_EQ(G().DBCharofP[0][6], -1);
  EXPECT_EQ(G().DBPosofC[0][6], -1);
  ExpectConsistent(0);
  // Taking back everything leaves an empty side; one more B does nothing.
  for (int k = 0; k < 7; ++k) {
    Push(0, bB);
    Step(*psl);
  }
  Push(0, bB);
  Step(*psl);
  EXPECT_EQ(psl->Dt[0].PosNo, 0);
  EXPECT_EQ(psl->Dt[0].CslNo, 0);
  EXPECT_EQ(CharofP(0), (std::array<int, 7>{-1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(OC.Count("SE0"), 7 + 7);  // each placing and each real take-back
}

TEST_F(PlayerSelectTest, VersusStartsOnEitherPlayersAOnceBothAreComplete) {
  for (int who = 0; who < 2; ++who) {
    SCOPED_TRACE(who);
    auto psl = Enter(dbgmTaisen);
    psl_ = psl.get();
    for (int k = 0; k < 6; ++k) {
      Push(0, bA);
      Push(1, bA);
      Step(*psl);
    }
    Push(0, bA);  // side 0 completes; side 1 still has one to place
    Step(*psl);
    Push(1, bA);  // completes side 1: no start in the same step
    Step(*psl);
    EXPECT_TRUE(psl->Dt[0].OK_f && psl->Dt[1].OK_f);
    EXPECT_FALSE(psl->Next_f);
    Push(who, bA);
    Step(*psl);
    EXPECT_TRUE(psl->Next_f);
    EXPECT_EQ(psl->NextScene, stDBPSL);
    Step(*psl);
    EXPECT_EQ(psl->NextScene, stDB);
  }
}

TEST_F(PlayerSelectTest, VersusStartsByItselfWhenTheCycleReachesThirty) {
  auto psl = Enter(dbgmTaisen);
  for (int k = 0; k < 7; ++k) {
    Push(0, bA);
    Push(1, bA);
    Step(*psl);
  }
  ASSERT_TRUE(psl->Dt[0].OK_f && psl->Dt[1].OK_f);
  int started = -1;
  for (int i = 0; i < 40 && started < 0; ++i) {
    Step(*psl);
    if (psl->Next_f) started = psl->CPUAuto_c;
  }
  EXPECT_EQ(started, 30);
  EXPECT_EQ(step, 30);  // the cycle counter is 30 after the scene's 30th step
}

TEST_F(PlayerSelectTest, ComputerPatternsPlaceByTheirDraw) {
  struct Case {
    int p;
    std::array<int, 7> want;
  };
  // p 0: moves right at the first decision (0 mod 7 is 0), then places.
  // p 1: places at once at position 0, looks further at positions 2 and 3.
  for (const Case& c : {Case{0, {1, 2, 3, 4, 5, 6, 0}}, Case{1, {0, 1, 3, 5, 6, 2, 4}}}) {
    SCOPED_TRACE(c.p);
    auto psl = Enter(dbgmKatinuki);
    psl_ = psl.get();
    psl->CPUAuto[1] = c.p;
    Push(1, bA);  // the computer's side reads no device
    for (int i = 0; i < 31 * 8 && !psl->Dt[1].OK_f; ++i) Step(*psl);
    EXPECT_TRUE(psl->Dt[1].OK_f);
    EXPECT_EQ(CharofP(1), c.want);
    ExpectConsistent(1);
    EXPECT_EQ(psl->Dt[0].PosNo, 0);  // player 1 did nothing
  }
}

TEST_F(PlayerSelectTest, FirstComputerDecisionAtFifteenAndPlacingAtThirty) {
  auto psl = Enter(dbgmKansen);
  psl->CPUAuto[0] = 0;
  psl->CPUAuto[1] = 3;
  Steps(*psl, 15);
  EXPECT_EQ(psl->CPUAuto_c, 15);
  EXPECT_EQ(psl->Dt[0].CslNo, 1);  // moved right
  EXPECT_EQ(psl->Dt[0].PosNo, 0);
  EXPECT_EQ(psl->Dt[1].PosNo, 1);  // 3 mod 7 is not 0: placed
  Steps(*psl, 14);
  EXPECT_EQ(psl->Ani_c, 29);  // the blink runs a cycle of 30 steps too
  Steps(*psl, 1);
  EXPECT_EQ(psl->Ani_c, 0);
  EXPECT_EQ(G().DBCharofP[0][0], 1);
  EXPECT_EQ(psl->Dt[1].PosNo, 2);
}

TEST_F(PlayerSelectTest, LeavingSetsUpTheMatchAndLoadsEachPositionsMember) {
  struct Loading : TDBPSLScene {
    using TDBPSLScene::TDBPSLScene;
    std::vector<std::array<int, 4>> loads;
    void LoadPlayerImage(int side, int pos, int team, int member) override {
      loads.push_back({side, pos, team, member});
    }
  };
  G().DBGM = dbgmKansen;
  G().DBCPUNum = 2;
  G().DBTeamNo[0] = 4;
  G().DBTeamNo[1] = 17;
  TDBVSScene vs(nullptr, AOT.get(), &Glb, stDBVS);
  Loading psl(nullptr, AOT.get(), &Glb, stDBPSL);
  psl.SetObjects(&rec);
  psl.CPUAuto[0] = 0;
  psl.CPUAuto[1] = 1;
  for (int i = 0; i < 31 * 8 && psl.NextScene == stDBPSL; ++i) Step(psl);
  ASSERT_EQ(psl.NextScene, stDB);
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"P00", "P01", "P02", "P03", "P04", "P05", "P06",
                                                 "T0", "P10", "P11", "P12", "P13", "P14", "P15",
                                                 "P16", "T1"}));
  ASSERT_EQ(psl.loads.size(), 14u);
  const int want0[7] = {1, 2, 3, 4, 5, 6, 0};
  const int want1[7] = {0, 1, 3, 5, 6, 2, 4};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(psl.loads[size_t(i)], (std::array<int, 4>{0, i, 4, want0[i]}));
    EXPECT_EQ(psl.loads[size_t(7 + i)], (std::array<int, 4>{1, i, 17, want1[i]}));
  }
  EXPECT_EQ(OC.Count("JGL1"), 1);
}

// ---------------------------------------------------------------- the chain

class MenuChainTest : public MenuFixture {
 protected:
  // Runs the menus from the title until the match is asked for, switching
  // scenes as the controller does; script(scene, step in scene) pushes input.
  template <class Script>
  SceneType Run(Script script, std::vector<int>& visited) {
    TDBOPScene op(nullptr, AOT.get(), &Glb, stDBOP);
    TDBMSLScene msl(nullptr, AOT.get(), &Glb, stDBMSL);
    TDBTSLScene tsl(nullptr, AOT.get(), &Glb, stDBTSL);
    TDBVSScene vs(nullptr, AOT.get(), &Glb, stDBVS);
    TDBPSLScene psl(nullptr, AOT.get(), &Glb, stDBPSL);
    psl.SetObjects(&rec);
    TGenScene* scenes[16] = {};
    scenes[stDBOP] = &op, scenes[stDBMSL] = &msl, scenes[stDBTSL] = &tsl;
    scenes[stDBVS] = &vs, scenes[stDBPSL] = &psl;
    op.OnInit();
    TGenScene* cur = &op;
    visited = {stDBOP};
    int inScene = 0;
    for (int i = 0; i < 2000; ++i) {
      script(cur->NowScene, inScene);
      Step(*cur);
      ++inScene;
      if (cur->NextScene == cur->NowScene) continue;
      visited.push_back(cur->NextScene);
      if (cur->NextScene == stDB) return stDB;
      cur = scenes[cur->NextScene];
      cur->OnInit();
      inScene = 0;
    }
    return cur->NowScene;
  }
  MatchRecorder rec;
};

TEST_F(MenuChainTest, EveryModeGoesFromTheTitleToTheMatchWithCompleteTeams) {
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    rec.calls.clear();
    auto script = [&](int scene, int k) {
      switch (scene) {
        case stDBOP:
          if (k == 2) Push(1, bA);  // either player starts
          break;
        case stDBMSL:
          if (k < mode) Push(0, cD);
          if (k == mode) Push(0, bA);
          break;
        case stDBTSL:
          if (k < 3) Push(0, cR);
          if (k == 3) Push(0, bA);
          if (k == 4) Push(1, cL);
          if (k == 5) Push(1, bA);
          break;
        case stDBVS:
          if (k == 2) Push(0, bA);
          break;
        case stDBPSL:
          if (k % 2)
            Push(0, bA);
          else
            Push(0, cD);
          Push(1, bA);
          break;
      }
    };
    std::vector<int> visited;
    ASSERT_EQ(Run(script, visited), stDB);
    EXPECT_EQ(visited, (std::vector<int>{stDBOP, stDBMSL, stDBTSL, stDBVS, stDBPSL, stDB}));
    EXPECT_EQ(G().DBGM, mode);
    EXPECT_EQ(G().DBCPUNum, (std::array<int, 3>{1, 0, 2})[size_t(mode)]);
    // Knock-out meets the first opponent, team 0; watch picks below 23.
    const int want1 = mode == dbgmKatinuki ? 0 : mode == dbgmTaisen ? 23 : G().DBTeamNo[1];
    EXPECT_EQ(G().DBTeamNo[1], want1);
    EXPECT_LT(G().DBTeamNo[1], 24);
    // In knock-out mode the scene's first step only sets the opponent, so
    // the first of player 1's three rights is not read.
    if (mode != dbgmKansen) {
      EXPECT_EQ(G().DBTeamNo[0], mode == dbgmKatinuki ? 2 : 3);
    }
    for (int side = 0; side < 2; ++side) {
      std::set<int> members;
      for (int p = 0; p < 7; ++p) {
        int m = G().DBCharofP[side][p];
        members.insert(m);
        EXPECT_EQ(G().DBPosofC[side][m], p);
      }
      EXPECT_EQ(members, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    }
    EXPECT_EQ(rec.calls.size(), 16u);
    for (auto* sl : slot) sl->btn.clear(), sl->crs.clear();
  }
}

TEST_F(MenuChainTest, WatchModeCanStepBackToModeSelectAndTheRunIsReproducible) {
  auto run = [&] {
    SetRandSeed(77);
    G() = DBGameData{};
    for (auto* sl : slot) sl->btn.clear(), sl->crs.clear();
    bool backed = false;
    auto script = [&](int scene, int k) {
      if (scene == stDBOP && k == 0) Push(0, bA);
      if (scene == stDBMSL && k < 2) Push(0, cD);
      if (scene == stDBMSL && k == 3) Push(0, bA);
      if (scene == stDBTSL && k == 20 && !backed) {
        Push(0, bB);
        backed = true;
      }
      if (scene == stDBVS && k == 1) Push(0, bA);
    };
    std::vector<int> visited;
    Run(script, visited);
    std::vector<int> res = visited;
    for (int side = 0; side < 2; ++side) {
      res.push_back(G().DBTeamNo[side]);
      for (int p = 0; p < 7; ++p) res.push_back(G().DBCharofP[side][p]);
    }
    return res;
  };
  auto a = run();
  auto b = run();
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 8),
            (std::vector<int>{stDBOP, stDBMSL, stDBTSL, stDBMSL, stDBTSL, stDBVS, stDBPSL, stDB}));
}

// ---------------------------------------------------------------- drawing

class MenuPanelDrawTest : public MenuFixture {
 protected:
  void SetUp() override {
    MenuFixture::SetUp();
    al.SetAspectCentre(0, 0);
    AT = std::make_unique<TAllTx>(&al, nullptr);
    for (TALTexture* tx : Stand()) {
      tx->ALSt = alsOK;
      tx->Texture = {{&tile}};
      tx->BmpWidth = 512;
      tx->BmpHeight = 240;
    }
    AOT->AT = AT.get();
    Glb.FD = &font;
  }
  void TearDown() override {
    for (TALTexture* tx : Stand()) *tx = TALTexture{};
    AOT->AT = nullptr;
  }
  std::vector<TALTexture*> Stand() {
    return {&AT->DBTSLtx, &AT->DBVStx, &AT->DBPSLtx, &AT->DBLoadtx, &AT->DBItemtx};
  }
  struct Quad {
    const TDDDDGenSurface* tex;
    int pri;
    float sx, sy, left, top;
    uint32_t fx;  // blit effects: mirrored pictures are flipped left to right
    float h;      // height on the screen
  };
  std::vector<Quad> Queued() {
    std::vector<Quad> q;
    for (uint32_t i = 0; i < al.DrawObjectCount(); ++i) {
      const TDRAWDATA& e = al.Entry(i);
      q.push_back({e.Tex, int(e.Pri), e.sx[0], e.sy[0], e.dx[0], e.dy[0], e.dwDDFX,
                   *std::max_element(e.dy, e.dy + 4) - e.dy[0]});
    }
    al.Rendering();
    return q;
  }
  // The digit queued at (x, y), or -1 for none.
  static int DigitAt(const std::vector<Quad>& q, float x, float y) {
    for (const Quad& e : q)
      if (e.left == x && e.top == y && e.sy == 104) return int(e.sx) / 8;
    return -1;
  }
  // Member m of the team is named with eight hiragana number first + m
  // ("ぁ" is name code 37, the font's hiragana cell 84).
  void NameMembers(int team, int first) {
    for (int m = 0; m < 7; ++m) AOT->ADTCDt[team][m].Name.fill(uint8_t(37 + first + m));
  }
  // The side's seven names, eight cells each, one row of 16 pixels a member.
  void ExpectNames(int side, int first) {
    for (int m = 0; m < 7; ++m) {
      auto line = fontTarget.Line(128.0f + 152 * side, 96.0f + 16 * m);
      ASSERT_EQ(line.size(), 8u) << "side " << side << " member " << m;
      EXPECT_EQ(std::pair(line[0].sx, line[0].sy), GlyphCell(84 + first + m));
    }
  }
  TDDDDGenSurface tile{nullptr, nullptr, 1024, 1024};
  TAlpha32SAI al{nullptr, nullptr, true, false, nullptr, 1, 256};
  std::unique_ptr<TAllTx> AT;
  FontRecorder fontTarget;
  TFontDraw font{&fontTarget, "data\\"};
};

TEST_F(MenuPanelDrawTest, TeamPanelShowsNumberAndAveragesWithTensOnlyAboveNine) {
  G().DBGM = dbgmTaisen;
  TDBTSLScene tsl(&al, AOT.get(), &Glb, stDBTSL);
  G().DBTeamNo[0] = 7;
  G().DBTeamNo[1] = 19;
  for (int m = 0; m < 7; ++m) {
    AOT->ADBPDt[7][m].dHP = m < 6 ? 10 : 9;   // 69 / 7 = 9
    AOT->ADBPDt[19][m].dHP = 10;              // 70 / 7 = 10
    AOT->ADBPDt[19][m].dBP = uint8_t(m == 0 ? 21 : 0);  // 21 / 7 = 3
  }
  NameMembers(7, 0);
  NameMembers(19, 7);
  tsl.OnMove();
  fontTarget.glyphs.clear();
  tsl.OnDraw();
  ExpectNames(0, 0);
  ExpectNames(1, 7);
  auto q = Queued();
  EXPECT_EQ(q[0].pri, 12);  // the picture first
  EXPECT_EQ(DigitAt(q, 168, 56), 0);
  EXPECT_EQ(DigitAt(q, 176, 56), 7);
  EXPECT_EQ(DigitAt(q, 168 + 152, 56), 1);
  EXPECT_EQ(DigitAt(q, 176 + 152, 56), 9);
  // HP is the last row in the team select's order.
  EXPECT_EQ(DigitAt(q, 232, 96 + 16 * 7), -1);
  EXPECT_EQ(DigitAt(q, 240, 96 + 16 * 7), 9);
  EXPECT_EQ(DigitAt(q, 232 + 152, 96 + 16 * 7), 1);
  EXPECT_EQ(DigitAt(q, 240 + 152, 96 + 16 * 7), 0);
  EXPECT_EQ(DigitAt(q, 240 + 152, 96), 3);  // power first
}

TEST_F(MenuPanelDrawTest, TeamPanelPutsTheCaptainsFaceOverTheTeamPicture) {
  TALLtxChar ac(nullptr, nullptr, nullptr);
  TDDDDGenSurface face{nullptr, nullptr, 16, 16}, picture{nullptr, nullptr, 32, 32};
  auto stand = [](TALTexture& tx, TDDDDGenSurface& s) {
    tx.ALSt = alsOK;
    tx.Texture = {{&s}};
    tx.BmpWidth = tx.BmpHeight = s.Width();
  };
  for (int t : {7, 19}) {
    stand(ac.txAllFaceDB[t][0], face);
    stand(ac.txAllBodyDB[t], picture);
  }
  AOT->AC = &ac;
  G().DBGM = dbgmTaisen;
  TDBTSLScene tsl(&al, AOT.get(), &Glb, stDBTSL);
  G().DBTeamNo[0] = 7;
  G().DBTeamNo[1] = 19;
  tsl.OnMove();
  tsl.OnDraw();
  auto q = Queued();
  auto drawn = [&](const TDDDDGenSurface* tex, float x, float y) {
    int n = 0;
    for (const Quad& e : q) n += e.tex == tex && e.left == x && e.top == y;
    return n;
  };
  // Side 1 faces the other way: its pictures are mirrored.
  auto mirrored = [&](const TDDDDGenSurface* tex, float x, float y) {
    for (const Quad& e : q)
      if (e.tex == tex && e.left == x && e.top == y) return e.fx != 0;
    return false;
  };
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(drawn(&face, 192.0f + 152 * s, 42), 1) << "side " << s << " captain";
    EXPECT_EQ(drawn(&picture, 184.0f + 152 * s, 44), 1) << "side " << s << " team picture";
    EXPECT_EQ(drawn(&face, 112.0f + 152 * s, 92), 1) << "side " << s << " member 0 in the list";
    EXPECT_EQ(mirrored(&face, 192.0f + 152 * s, 42), s == 1);
    EXPECT_EQ(mirrored(&picture, 184.0f + 152 * s, 44), s == 1);
    EXPECT_EQ(mirrored(&face, 112.0f + 152 * s, 92), s == 1);
  }
  AOT->AC = nullptr;
}

TEST_F(MenuPanelDrawTest, VersusRatingOrderFollowsTheLanguageAndLastStepShowsLoading) {
  for (bool eng : {true, false}) {
    SCOPED_TRACE(eng);
    Glb.Flags.Eng_f = eng;
    slot[0]->btn.clear();
    G().DBGM = dbgmKatinuki;
    TDBVSScene vs(&al, AOT.get(), &Glb, stDBVS);
    G().DBTeamNo[0] = 2;
    G().DBTeamNo[1] = 5;
    for (int m = 0; m < 7; ++m) {
      DCDDBallDt& d = AOT->ADBPDt[2][m];
      d.dBP = 1, d.dShT = 2, d.dCrv = 3, d.dSpd = 4, d.dCaT = 5, d.dTaf = 6, d.dGut = 7, d.dHP = 8;
    }
    NameMembers(2, 0);
    NameMembers(5, 7);
    vs.OnMove();
    fontTarget.glyphs.clear();
    vs.OnDraw();
    ExpectNames(0, 0);
    ExpectNames(1, 7);
    auto q = Queued();
    std::vector<int> rows;
    for (int r = 0; r < 8; ++r) rows.push_back(DigitAt(q, 240, 96 + 16 * r));
    EXPECT_EQ(rows, eng ? (std::vector<int>{1, 6, 5, 4, 3, 2, 7, 8})
                        : (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    // The knock-out caption: 20 cells from (176, 16), the first "か".
    auto cap = fontTarget.Line(176, 16);
    ASSERT_EQ(cap.size(), 20u);
    EXPECT_EQ(std::pair(cap[0].sx, cap[0].sy), GlyphCell(0xA9 - 0x9F + 84));
    EXPECT_EQ(cap[19].x, 176 + 19 * 8);
    // After player 1's A only the loading picture is drawn.
    Push(0, bA);
    vs.OnMove();
    vs.OnDraw();
    q = Queued();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].pri, 12);
  }
}

TEST_F(MenuPanelDrawTest, PlayerSelectListsLabelsForPlacedAndShotNamesOfTheCursor) {
  G().DBGM = dbgmKatinuki;
  G().DBCPUNum = 1;
  G().DBTeamNo[0] = 3;
  TDBVSScene vs(nullptr, AOT.get(), &Glb, stDBVS);
  TDBPSLScene psl(&al, AOT.get(), &Glb, stDBPSL);
  MatchRecorder rec;
  psl.SetObjects(&rec);
  std::memcpy(AOT->ADBShootDt[0].Name, "\x83\x5A\x83\x5A\x83\x5A\x83\x5A\x83\x5A", 10);  // セセセセセ, no end mark
  AOT->ADBPDt[3][1].dHS = 2;
  AOT->ADBPDt[3][1].dJHS = 1;
  AOT->ADBPDt[3][1].dSpd = 42;
  TALLtxChar ac(nullptr, nullptr, nullptr);
  TDDDDGenSurface face{nullptr, nullptr, 16, 16};
  for (TALTexture& tx : ac.txAllFaceDB[3]) {
    tx.ALSt = alsOK;
    tx.Texture = {{&face}};
    tx.BmpWidth = tx.BmpHeight = 16;
  }
  AOT->AC = &ac;
  psl.OnMove();  // Ani_c 1: cursor and current label shown
  Push(0, bA);   // member 0 on position 0; cursor to member 1
  psl.OnMove();
  fontTarget.glyphs.clear();
  psl.OnDraw();
  auto q = Queued();
  auto at = [&](float x, float y, int pri) {
    for (const Quad& e : q)
      if (e.left == x && e.top == y && e.pri == pri) return std::pair(int(e.sx), int(e.sy));
    return std::pair(-1, -1);
  };
  EXPECT_EQ(at(104, 96 + 16, 13), std::pair(64, 96));          // player 1's cursor on member 1
  EXPECT_EQ(at(116, 92, 12), std::pair(0, 112));               // member 0: position 0's label
  int placed = 0;  // member 0's face on position 0 of the court diagram, facing as side 0 does
  for (const Quad& e : q)
    placed += e.tex == &face && e.left == float(TDBPSLScene::GetPOSX(0, 0)) &&
              e.top == float(TDBPSLScene::POSXY[0][1]) && e.fx == 0;
  EXPECT_EQ(placed, 1);
  for (const Quad& e : q) {
    EXPECT_TRUE(e.sy != 112 || e.h == 16.0f) << "labels are 8 x 16";
    EXPECT_TRUE(e.sy != 104 || e.h == 8.0f) << "digits are 8 x 8";
  }
  for (int m = 0; m < 7; ++m) {  // the others show their faces down the list
    int n = 0;
    for (const Quad& e : q) n += e.tex == &face && e.left == 112 && e.top == 92 + 16 * m && e.pri == 13;
    EXPECT_EQ(n, m == 0 ? 0 : 1) << "member " << m;
  }
  EXPECT_EQ(at(float(TDBPSLScene::GetPOSX(0, 2) + 4), 40, 13), std::pair(16, 112));  // position 2 still to fill
  EXPECT_EQ(DigitAt(q, 232, 96 + 16 * 3), 4);                  // speed 42 of member 1
  EXPECT_EQ(DigitAt(q, 240, 96 + 16 * 3), 2);
  // The shot names: five "セ" cells, then "なし".
  auto hs = fontTarget.Line(128, 224);
  EXPECT_EQ(hs.size(), 5u);
  auto jhs = fontTarget.Line(200, 224);
  ASSERT_FALSE(hs.empty());
  EXPECT_EQ(std::pair(hs[0].sx, hs[0].sy), GlyphCell(0x5A - 0x40 + 168));
  ASSERT_EQ(jhs.size(), 2u);
  EXPECT_EQ(std::pair(jhs[0].sx, jhs[0].sy), GlyphCell(0xC8 - 0x9F + 84));
  // The computer's side: a plain arrow on member 0.
  EXPECT_EQ(at(104 + 152, 96, 13), std::pair(80, 96));
  // The cursors blink off from the 15th step of the cycle.
  psl.Ani_c = 15;
  psl.OnDraw();
  q = Queued();
  EXPECT_EQ(at(104, 96 + 16, 13), std::pair(-1, -1));
  AOT->AC = nullptr;
}

}  // namespace
