// The scene controller: creation, scene switching, data loading from archives
// and team files, the input configuration and the save slots, each in a
// temporary program folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "input/DILib.h"
#include "match/clsObject.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"
#include "shell/clsAllTx.h"
#include "shell/clsGenScene.h"
#include "shell/clsSceneCtrl.h"
#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"
#include "tests/FormTestKit.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Archive(const char* tag, uint8_t v2,
                             const std::vector<std::pair<std::string, std::vector<uint8_t>>>& es) {
  std::vector<std::span<const uint8_t>> src;
  std::vector<std::string> ids;
  for (auto& e : es) {
    src.emplace_back(e.second);
    ids.push_back(e.first);
  }
  auto a = BuildQDAArchive(tag, 0, 0, v2, src, ids, true);
  EXPECT_TRUE(a.has_value());
  return a.value_or(std::vector<uint8_t>{});
}

// A member record whose bytes name it: name byte 0 = marker, abilities from 200.
std::vector<uint8_t> Member(uint8_t marker, size_t size = 256) {
  std::vector<uint8_t> r(size, 0);
  r[0] = marker;
  r[128] = marker;  // DBFaceNo
  for (size_t i = 0; i < 14 && 200 + i < size; ++i) r[200 + i] = uint8_t(marker + i);
  r[210] = r[211] = r[212] = r[213] = 2;  // special shots in range
  return r;
}

class SceneCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unique per run: other copies of the tests may run at the same time.
    dir = fs::temp_directory_path() /
          ("qorv_sc_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
           "_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    plat::SetProgramFolder(dir.string() + "/");
    SetRandSeed(777);
    Glb.OC = &OC;
    Glb.ADI = &ADI;
  }
  void TearDown() override {
    SC.reset();
    plat::SetProgramFolder("");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void Write(const fs::path& rel, const std::vector<uint8_t>& bytes) {
    fs::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Valid default teams (n members) and rank, shot, frame and motion tables.
  void WriteData(int n = 168) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> es;
    for (int i = 0; i < n; ++i) {
      char id[32];
      std::snprintf(id, sizeof id, "def%03d.dbch", i);
      auto rec = Member(uint8_t(i));
      rec.resize(232);
      es.push_back({id, BuildSAIFileDB(rec)});
    }
    Write("data/defteam.qx2", Archive("DEFT", 1, es));
    std::vector<uint8_t> rank(3204), rank2(3204), shot(2268);
    for (size_t i = 0; i < rank.size(); ++i) rank[i] = uint8_t(i), rank2[i] = uint8_t(i + 1);
    for (size_t i = 0; i < shot.size(); ++i) shot[i] = uint8_t(i * 3);
    Write("data/DBData.qx2", Archive("DBDT", 0,
                                     {{"DBRankdata.sai", rank},
                                      {"DBRankdata2.sai", rank2},
                                      {"DBShootdata.sai", shot},
                                      {"DBBMPData.sai", std::vector<uint8_t>(8192)},
                                      {"DBMotionData.sai", std::vector<uint8_t>(36864)}}));
    const std::vector<uint8_t> pal(778, 0);
    Write("data/pal.qx2", *BuildQDAArchive("PAL", 0, 1, 0, {pal, pal}, {"dbpal0.pal", "dbpal1.pal"},
                                           true));
    Write("data/char.qx2", *BuildQDAArchive("CHAR", 0, 0, 1, {}, {}, true));
  }
  void Build() { SC = std::make_unique<TSceneCtrl>(nullptr, nullptr, nullptr, &ADI, &OC, &Glb); }
  TAllObTx& AOT() { return *SC->AOT; }

  fs::path dir;
  TGlobalSAI Glb{nullptr};
  TOggDataCtrl OC;
  TADISAI ADI{nullptr, &Glb, false};
  std::unique_ptr<TSceneCtrl> SC;
};

TEST_F(SceneCtrlTest, FirstStartCreatesTheTeamFoldersAndBuildsTheTitle) {
  WriteData();
  ResetRandomDraws();
  Build();
  EXPECT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
  EXPECT_TRUE(SC->Built());
  for (int t = 0; t < 24; ++t) {
    char name[16];
    std::snprintf(name, sizeof name, "team%02d", t);
    EXPECT_TRUE(fs::is_directory(dir / "teamdata" / name)) << name;
  }
  EXPECT_EQ(SC->NowScene(), stDBOP);
  EXPECT_EQ(AOT().GameMode, gmtEtc);
  for (int id : {2, 11, 12, 13, 14, 15}) EXPECT_NE(SC->SceneAt(id), nullptr) << id;
  EXPECT_EQ(SC->SceneAt(0), nullptr);
  // Team select and player select draw their two values each when built.
  EXPECT_EQ(RandomDraws(), 4u);
  // The default teams are loaded: member 10 is team 1, member 3.
  EXPECT_EQ(AOT().ADTCDt[1][3].Name[0], 10);
  EXPECT_EQ(AOT().ADBPDt[1][3].dHP, 10);
  EXPECT_EQ(AOT().ADBRankDt[0].BP.Lv, 0x03020100);
}

// While the scene controller loads, the form's caption shows each step with
// its gauge (Japanese texts: the step's name follows the gauge), from step 3
// after the window and input up to step 8 once the title is loaded.
TEST_F(SceneCtrlTest, LoadingCaptionGaugeCountsTheStepsInOrder) {
  WriteData();
  plat::ScriptedHost host;
  formkit::Counts c;
  TForm1 form(host, formkit::CountingParts(c), BuildFlags{false, false});
  Glb.tMainForm = &form;
  Glb.Flags.Eng_f = false;
  Build();
  ASSERT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
  const std::pair<const char*, int> steps[] = {
      {"\x94\xc4\x97\x70\xc3\xb8\xbd\xc1\xac\x93\xc7\x8d\x9e", 3},  // 汎用ﾃｸｽﾁｬ読込
      {"\xb7\xac\xd7\xc3\xb8\xbd\xc1\xac\x93\xc7\x8d\x9e", 4},      // ｷｬﾗﾃｸｽﾁｬ読込
      {"DBCharDataLoad OK", 5}, {"DBDBCHDataLoad OK", 5}, {"DBRankDataLoad OK", 5},
      {"DBShootDataLoad OK", 5}, {"GDt.LoadDt OK", 5},
      {"\xc3\xde\xb0\xc0\x93\xc7\x8d\x9e", 5},                        // ﾃﾞｰﾀ読込
      {"\x91\x53\x8a\xe7\x93\xc7\x8d\x9e", 5},                        // 全顔読込
      {"\x83\x7d\x83\x62\x83\x76\x93\xc7\x8d\x9e", 6},              // マップ読込
      {"Scene\x90\xb6\x90\xac", 7},                                     // Scene生成
      {"SceneLoad", 8}};
  std::vector<std::string> want;
  for (const auto& [name, rt] : steps)  // "- 読込中 - " + gauge + " " + step
    want.push_back("- \x93\xC7\x8D\x9E\x92\x86 - " + std::string(size_t(rt), '!') +
                   std::string(size_t(10 - rt), '.') + " " + name);
  EXPECT_EQ(host.Captions, want);
  SC.reset();
}

TEST_F(SceneCtrlTest, TheBuiltGameDataLoadsWithoutAHalt) {
  const fs::path built = fs::path(QORV_BINARY_DIR) / "game" / "data";
  for (const char* f : {"DBData.qx2", "defteam.qx2", "pal.qx2", "char.qx2"}) {
    if (!fs::exists(built / f)) GTEST_SKIP() << "no built " << f;
    fs::copy_file(built / f, dir / "data" / f);
  }
  Build();
  EXPECT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
  for (int t = 0; t < 24; ++t)
    for (int m = 0; m < 7; ++m) {
      EXPECT_NE(AOT().ADTCDt[t][m].Name[0], 0) << t << "/" << m;
      EXPECT_GT(AOT().ADBPDt[t][m].dHP, 0) << t << "/" << m;
      // Every member's face was loaded in its own colours at start-up.
      const DBBodyCol& col = AOT().AC->AllCharPalDt[t][m];
      const DCDLooks& lk = AOT().ADTCDt[t][m].Looks;
      EXPECT_EQ(std::vector<int>({col.TNo, col.Eye, col.Skin, col.Hair}),
                std::vector<int>({t, lk.EyeCol, lk.SkinCol, lk.HairCol}));
    }
  EXPECT_NE(AOT().ADBRankDt[1].BP.Sp, 0);
}

TEST_F(SceneCtrlTest, RendererErrorStopsBeforeDataAndScenes) {
  WriteData();
  TAlpha32SAI AL(&Glb);
  AL.Err_f = true;
  SC = std::make_unique<TSceneCtrl>(nullptr, &AL, nullptr, &ADI, &OC, &Glb);
  EXPECT_EQ(Glb.ErrMsg, "ALib Err");
  EXPECT_FALSE(SC->Built());
  EXPECT_FALSE(fs::exists(dir / "teamdata"));
  EXPECT_EQ(SC->SceneAt(11), nullptr);
  // A half-built controller takes every call without effect (F1 included).
  SC->OnMove();
  SC->OnDraw();
  SC->OnJump();
  SC->SceneJump(11);
  SC->SceneOnReset();
  SC->OnRestore();
  EXPECT_FALSE(SC->OnSave());
  EXPECT_FALSE(SC->OnLoad());
  EXPECT_EQ(SC->NowScene(), stDBOP);
}

TEST_F(SceneCtrlTest, MissingArchiveHaltsWithFileNotFound) {
  Build();
  EXPECT_TRUE(Glb.Halt_f);
  EXPECT_EQ(Glb.ErrMsg, "File Not Found");
  // Loading went on: the scenes exist for the loop to report from.
  EXPECT_TRUE(SC->Built());
}

TEST_F(SceneCtrlTest, DamagedArchiveHaltsWithFileVerErr) {
  WriteData();
  auto bytes = *plat::ReadFile(dir.string() + "/data/defteam.qx2");
  bytes[bytes.size() - 1] ^= 0x55;
  Write("data/defteam.qx2", bytes);
  Build();
  EXPECT_EQ(Glb.ErrMsg, "File Ver Err");
  // A wrong tag or version is refused the same way.
  WriteData();
  Write("data/DBData.qx2", Archive("DBDT", 1, {{"DBRankdata.sai", std::vector<uint8_t>(3204)}}));
  Glb.Halt_f = false;
  Glb.ErrMsg.clear();
  SC->DBRankDataLoad();
  EXPECT_EQ(Glb.ErrMsg, "File Ver Err");
}

TEST_F(SceneCtrlTest, DefaultTeamCountBoundsTheMembersFilled) {
  WriteData(10);
  Build();
  EXPECT_EQ(AOT().ADTCDt[1][2].Name[0], 9);
  // Members beyond the archive's count stay zeroed.
  EXPECT_EQ(AOT().ADTCDt[1][3].Name[0], 0);
  EXPECT_EQ(AOT().ADTCDt[23][6].Looks.DBFaceNo, 0);
  // Bytes 232..255 of a loaded record are zero.
  EXPECT_EQ(AOT().ADTCDt[0][0].DBDt.AKI[41], 0);
  // Loading again clears what the last load left beyond the count.
  AOT().ADTCDt[23][6].Looks.DBFaceNo = 7;
  SC->DBCharDataLoad();
  EXPECT_EQ(AOT().ADTCDt[23][6].Looks.DBFaceNo, 0);
}

TEST_F(SceneCtrlTest, MoreArchiveEntriesThanTeamsHoldAreIgnored) {
  WriteData(170);
  Build();
  EXPECT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
  EXPECT_EQ(AOT().ADTCDt[23][6].Name[0], 167);
}

TEST_F(SceneCtrlTest, UserTeamFilesReplaceDefaultsInNameOrder) {
  WriteData();
  // Team 2: nine valid files written in reverse name order after a folder
  // named like a team file, which uses up the first member.
  for (int i = 8; i >= 0; --i)
    Write("teamdata/team02/m" + std::to_string(i) + ".dbch", BuildSAIFile(Member(uint8_t(200 + i))));
  fs::create_directories(dir / "teamdata/team02/a0.dbch");
  // Team 5: three files, the second damaged; it uses up its member slot.
  Write("teamdata/team05/a.dbch", BuildSAIFile(Member(100)));
  auto bad = BuildSAIFile(Member(101));
  bad.back() ^= 0xFF;
  Write("teamdata/team05/b.dbch", bad);
  Write("teamdata/team05/c.dbch", BuildSAIFile(Member(102)));
  // The fourth is whole but larger than the game reads: it is not read. The
  // fifth has bytes past its record and loads.
  auto noisy = [](uint8_t marker, size_t size) {
    auto r = Member(marker, size);
    std::mt19937 noise(marker);
    for (size_t i = 256; i < r.size(); ++i) r[i] = uint8_t(noise() >> 24);
    return BuildSAIFile(r);
  };
  Write("teamdata/team05/d.dbch", noisy(103, (1 << 20) + 16));
  Write("teamdata/team05/e.dbch", noisy(104, 5000));
  Build();
  EXPECT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
  EXPECT_EQ(AOT().ADTCDt[2][0].Name[0], 2 * 7);
  for (int m = 1; m < 7; ++m) EXPECT_EQ(AOT().ADTCDt[2][m].Name[0], 200 + m - 1) << m;
  EXPECT_EQ(AOT().ADBPDt[2][6].dHP, 205);
  EXPECT_EQ(AOT().ADTCDt[5][0].Name[0], 100);
  EXPECT_EQ(AOT().ADTCDt[5][1].Name[0], 5 * 7 + 1);  // the default member stays
  EXPECT_EQ(AOT().ADTCDt[5][2].Name[0], 102);
  EXPECT_EQ(AOT().ADTCDt[5][4].Name[0], 104);
  for (int m : {3, 5, 6}) EXPECT_EQ(AOT().ADTCDt[5][m].Name[0], 5 * 7 + m);
}

TEST_F(SceneCtrlTest, OutOfRangeColoursAndShotsInTeamFilesReadAsNone) {
  WriteData();
  auto m = Member(50);
  m[131] = 32;   // skin colour
  m[132] = 255;  // hair colour
  m[133] = 31;   // eye colour, the last valid one
  m[211] = 23;   // dHS
  m[210] = 22;   // dJHS, the last valid one
  m[255] = 0x5A;  // the record's last byte is read too
  Write("teamdata/team00/x.dbch", BuildSAIFile(m));
  // A team file shorter than a record fills what it has.
  Write("teamdata/team00/y.dbch", BuildSAIFile(std::vector<uint8_t>(10, 7)));
  Build();
  const DTCharData& c = AOT().ADTCDt[0][0];
  EXPECT_EQ(c.Looks.SkinCol, 0);
  EXPECT_EQ(c.Looks.HairCol, 0);
  EXPECT_EQ(c.Looks.EyeCol, 31);
  EXPECT_EQ(AOT().ADBPDt[0][0].dHS, 0);
  EXPECT_EQ(AOT().ADBPDt[0][0].dJHS, 22);
  EXPECT_EQ(c.DBDt.AKI[41], 0x5A);
  EXPECT_EQ(AOT().ADTCDt[0][1].Name[0], 7);
  EXPECT_EQ(AOT().ADTCDt[0][1].Looks.DBFaceNo, 0);
}

TEST_F(SceneCtrlTest, RankTableFollowsTheRuleAndAMissingTableHalts) {
  WriteData();
  Build();
  SC->SDt->DBGDt.DBSlow_f = 1;
  SC->DBRankDataLoad();
  EXPECT_EQ(AOT().ADBRankDt[0].BP.Lv, 0x04030201);
  EXPECT_EQ(uint8_t(AOT().ADBShootDt[0].Name[1]), 3);
  Write("data/DBData.qx2", Archive("DBDT", 0, {{"DBRankdata.sai", std::vector<uint8_t>(3204)}}));
  SC->DBShootDataLoad();
  EXPECT_EQ(Glb.ErrMsg, "File Ver Err");
  EXPECT_EQ(AOT().ADBShootDt[0].Name[1], 0);
}

// A scene that logs its calls and leaves when told.
class LogScene : public TGenScene {
 public:
  LogScene(std::vector<std::string>& log, TAllObTx* aot, SceneType id, GameModeType gm = gmtEtc)
      : TGenScene(nullptr, aot, nullptr, id), log_(log) {
    GameMode = gm;
  }
  void OnInit() override {
    TGenScene::OnInit();
    Add("init");
  }
  void OnMove() override {
    Add("move");
    if (leaveTo >= 0) NextScene = SceneType(leaveTo);
  }
  void OnDraw() override { Add("draw"); }
  int leaveTo = -1;

 private:
  void Add(const char* what) { log_.push_back(std::to_string(int(NowScene)) + "." + what); }
  std::vector<std::string>& log_;
};

class SwitchTest : public SceneCtrlTest {
 protected:
  void SetUp() override {
    SceneCtrlTest::SetUp();
    WriteData();
    Build();
    for (int id : {2, 11, 12, 13, 14, 15}) {
      auto s = std::make_unique<LogScene>(log, SC->AOT.get(), SceneType(id),
                                          id == 2 ? gmtDB : gmtEtc);
      scenes[id] = s.get();
      SC->SetScene(id, std::move(s));
    }
  }
  void Frame() {
    SC->OnMove();
    SC->OnDraw();
    SC->OnJump();
  }
  // Marks the rank table so a reload shows.
  void Mark() { AOT().ADBRankDt[0].BP.Lv = -1; }
  bool Reloaded() { return AOT().ADBRankDt[0].BP.Lv != -1; }

  std::vector<std::string> log;
  LogScene* scenes[16] = {};
};

TEST_F(SwitchTest, TheNewSceneStartsAfterTheFrameAndMovesInTheNext) {
  scenes[11]->leaveTo = 12;
  Mark();
  OC.SERsv.set(2);  // a sound effect asked for during the step starts at its end
  Frame();
  EXPECT_TRUE(OC.SERsv.none());
  EXPECT_EQ(log, (std::vector<std::string>{"11.move", "11.draw", "12.init"}));
  EXPECT_EQ(SC->NowScene(), 12);
  // Leaving the title reloads the rule's tables.
  EXPECT_TRUE(Reloaded());
  log.clear();
  Frame();
  EXPECT_EQ(log, (std::vector<std::string>{"12.move", "12.draw"}));
  // The scene that was left still asks for the new one until it starts again.
  EXPECT_EQ(scenes[11]->NextScene, stDBMSL);
}

TEST_F(SwitchTest, OnlyLeavingTheTitleReloadsTheTables) {
  scenes[11]->leaveTo = 12;
  Frame();
  scenes[12]->leaveTo = 2;
  Mark();
  Frame();
  EXPECT_FALSE(Reloaded());
  EXPECT_EQ(AOT().GameMode, gmtDB);
  scenes[2]->leaveTo = 11;
  Frame();
  EXPECT_FALSE(Reloaded());
  EXPECT_EQ(SC->NowScene(), stDBOP);
  EXPECT_EQ(AOT().GameMode, gmtEtc);
}

TEST_F(SwitchTest, JumpingToTheTitleStartsItAtOnceWithoutReload) {
  scenes[11]->leaveTo = 2;
  Frame();
  ASSERT_EQ(SC->NowScene(), stDB);
  scenes[11]->leaveTo = -1;
  Mark();
  log.clear();
  SC->SceneJump(11);
  EXPECT_EQ(log, (std::vector<std::string>{"11.init"}));
  EXPECT_FALSE(Reloaded());
  EXPECT_EQ(SC->NowScene(), stDBOP);
  EXPECT_EQ(AOT().GameMode, gmtEtc);
  SC->SceneOnReset();
  EXPECT_EQ(log.back(), "11.init");
}

TEST_F(SwitchTest, EmptySlotsAreNeverEntered) {
  SC->SceneJump(5);
  EXPECT_EQ(SC->NowScene(), stDBOP);
  SC->SceneJump(200);
  EXPECT_EQ(SC->NowScene(), stDBOP);
  scenes[11]->leaveTo = 7;
  Frame();
  EXPECT_EQ(SC->NowScene(), stDBOP);
  // With no scene at all the controller does nothing.
  SC->SetScene(11, nullptr);
  Frame();
  SC->SceneOnReset();
  SC->SceneJump(11);
  EXPECT_EQ(SC->NowScene(), stDBOP);
}

TEST_F(SceneCtrlTest, InputConfigurationMapsKeysAndPadButtons) {
  WriteData();
  Build();
  TCFGINI& cfg = Glb.CFGINI;
  for (int i = 0; i < 12; ++i) cfg.KBBtn[i] = uint16_t(30 + i);
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 8; ++b) cfg.JSBtn[p][b] = uint16_t(p * 10 + b);
  cfg.Device[0] = 0;
  cfg.Device[1] = 2;
  SC->CfgBtn();
  TDDIDEX& dev = *ADI.pDIDEX;
  EXPECT_EQ(ADI.DI[0]->PadNo, 0);
  EXPECT_EQ(dev.KeyAssign(0, DI_UP), 30);
  EXPECT_EQ(dev.KeyAssign(0, DI_B1 + 7), 41);
  EXPECT_EQ(ADI.DI[1]->PadNo, 3);
  EXPECT_EQ(ADI.DI[1]->CfgBtn[0], 10);
  EXPECT_EQ(ADI.DI[1]->CfgBtn[4], 14);
  Glb.Flags.Debug_f = true;  // the authoring build saves and loads with pad buttons 6 and 7
  SC->CfgBtn();
  EXPECT_EQ(ADI.DI[1]->CfgBtn[4], 6);
  EXPECT_EQ(ADI.DI[1]->CfgBtn[5], 7);
  Glb.Flags.Debug_f = false;
  cfg.Device[1] = 4;  // the last pad
  SC->CfgBtn();
  EXPECT_EQ(ADI.DI[1]->PadNo, 5);
  EXPECT_EQ(ADI.DI[1]->CfgBtn[0], 30);
  // A device number the settings cannot hold is the keyboard.
  cfg.Device[0] = 9;
  cfg.Device[1] = -3;
  ADI.DI[0]->PadNo = 4;
  dev.ClearKB();
  SC->CfgBtn();
  EXPECT_EQ(ADI.DI[0]->PadNo, 0);
  EXPECT_EQ(ADI.DI[1]->PadNo, 0);
  EXPECT_EQ(dev.KeyAssign(0, DI_UP), 30);
  // Automatic choice: one pad attached gives it to player 1; player 2 keeps
  // the keyboard.
  plat::ScriptedInputDevices pads;
  pads.Attach("pad");
  plat::SetInputDevices(&pads);
  dev.Initialize();
  cfg.Auto_f = true;
  SC->CfgBtn();
  plat::SetInputDevices(nullptr);
  EXPECT_EQ(ADI.DI[0]->PadNo, 2);
  EXPECT_EQ(ADI.DI[0]->CfgBtn[0], 0);
  EXPECT_EQ(ADI.DI[1]->PadNo, 0);
}

class SaveTest : public SceneCtrlTest {
 protected:
  void SetUp() override {
    SceneCtrlTest::SetUp();
    Build();
    Glb.Flags.Debug_f = true;  // the loaders read the CSV sources
    Glb.Halt_f = false;
    DBGameData& g = SC->SDt->DBGDt;
    g.DBGM = dbgmTaisen;
    g.DBTeamNo[0] = 4;
    g.DBTeamNo[1] = 9;
    for (int s = 0; s < 2; ++s)
      for (int k = 0; k < 7; ++k) g.DBPosofC[s][k] = g.DBCharofP[s][k] = 6 - k;
    g.DBCrtNo = 2;
    AOT().ADTCDt[4][3].Name[2] = 77;
    AOT().ADBPDt[9][1].dHP = 55;
    AOT().ADBPSt[1][2].HP = 33;
    AOT().DBBallSt.HoldTNo = 1;
    SetRandSeed(4242);
    SC->SvSlt = 3;
  }
  std::vector<uint8_t> Slot(int n) {
    return plat::ReadFile(dir.string() + "/data/SaveData" + std::to_string(n) + ".dbsv")
        .value_or(std::vector<uint8_t>{});
  }
};

TEST_F(SaveTest, SaveAndLoadRoundTripTheMatchState) {
  ASSERT_TRUE(SC->OnSave());
  auto first = Slot(3);
  ASSERT_EQ(first.size(), 57732u);
  // Disturb everything the save holds, then load it back.
  SC->SDt->DBGDt = DBGameData{};
  AOT().ADTCDt[4][3].Name[2] = 0;
  AOT().ADBPSt[1][2].HP = 0;
  SetRandSeed(1);
  ASSERT_TRUE(SC->OnLoad());
  EXPECT_EQ(SC->SDt->DBGDt.DBTeamNo[1], 9);
  EXPECT_EQ(SC->SDt->DBGDt.DBCrtNo, 2);
  EXPECT_EQ(RandSeed(), 4242);
  SC->SvSlt = 4;
  ASSERT_TRUE(SC->OnSave());
  EXPECT_EQ(Slot(4), first);
}

TEST_F(SaveTest, ShortDamagedOrMissingSlotsAreRefusedAndChangeNothing) {
  ASSERT_TRUE(SC->OnSave());
  auto good = Slot(3);
  // Everything a load writes, changed from what the slot holds.
  SC->SDt->DBGDt.DBCrtNo = 1;
  AOT().ADTCDt[4][3].Name[2] = 5;
  AOT().ADBPDt[9][1].dHP = 6;
  AOT().ADBPSt[1][2].HP = 7;
  AOT().DBBallSt.HoldTNo = 0;
  SetRandSeed(99);
  auto state = [&] {
    std::vector<uint8_t> s;
    auto add = [&s](const auto& part) {
      const auto* p = reinterpret_cast<const uint8_t*>(&part);
      s.insert(s.end(), p, p + sizeof part);
    };
    add(SC->SDt->DBGDt);
    add(AOT().ADTCDt);
    add(AOT().ADBPDt);
    add(AOT().ADBPSt);
    add(AOT().DBBallSt);
    add(AOT().SvDt);
    add(RandSeed());
    return s;
  };
  const auto keep = state();
  auto expectRefused = [&](const std::vector<uint8_t>& bytes) {
    Write("data/SaveData3.dbsv", bytes);
    EXPECT_FALSE(SC->OnLoad());
    EXPECT_TRUE(state() == keep);
  };
  expectRefused(std::vector<uint8_t>(good.begin(), good.end() - 1));
  auto longer = good;
  longer.push_back(0);
  expectRefused(longer);
  auto badTeam = good;
  badTeam[4 + 8] = 24;  // DBTeamNo[0]
  expectRefused(badTeam);
  auto badPos = good;
  badPos[4 + 68] = 7;  // DBCharofP[0][0]
  expectRefused(badPos);
  SC->SvSlt = 8;
  EXPECT_FALSE(SC->OnLoad());
  EXPECT_TRUE(state() == keep);
}

// A save slot or table that cannot be written is named on stderr and on the
// info line; the game goes on.
TEST_F(SaveTest, AFailedSaveIsReportedAndTheGameGoesOn) {
  const std::string rank = "1,2,x\n";
  Write("data/DBRankData.csv", std::vector<uint8_t>(rank.begin(), rank.end()));
  fs::create_directories(dir / "DBRankdata.sai");  // a folder where the table should go
  testing::internal::CaptureStderr();
  SC->DBRankDataLoad();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("DBRankdata.sai: not saved"),
            std::string::npos);
  EXPECT_NE(Glb.InfMsg().find("DBRankdata.sai"), std::string::npos);

  fs::remove_all(dir / "data");
  std::ofstream(dir / "data") << "not a folder";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SC->OnSave());
  EXPECT_NE(testing::internal::GetCapturedStderr().find(".dbsv: not saved"), std::string::npos);
  EXPECT_FALSE(Glb.Halt_f);
  EXPECT_NE(Glb.InfMsg().find(" : #"), std::string::npos);
}

TEST_F(SceneCtrlTest, AuthoringTablesAreBoundedToTheirRowsAndFields) {
  Build();
  Glb.Flags.Debug_f = true;  // the loaders read the CSV sources
  std::string rank = "// rank rows\n";
  for (int r = 0; r < 12; ++r) rank += std::to_string(r + 1) + ",2,x\r\n";
  std::string shot = "ABCDEFGHIJKLMN,5,6\n";
  std::string chars = "AB,3,40,4,300,-2,1,1,1,1,1,1,1,1,30,2\n";
  for (auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"data/DBRankData.csv", rank}, {"data/DBShootData.csv", shot},
           {"data/DBCharData.csv", chars}})
    Write(name, std::vector<uint8_t>(text.begin(), text.end()));
  SC->DBRankDataLoad();
  EXPECT_EQ(AOT().ADBRankDt[8].BP.Lv, 9);
  EXPECT_EQ(AOT().ADBRankDt[0].BP.Sp, 2);
  EXPECT_EQ(AOT().ADBRankDt[0].BP.FlySp, 0);
  EXPECT_EQ(plat::ReadFile(dir.string() + "/DBRankdata.sai")->size(), 3204u);
  SC->DBShootDataLoad();
  EXPECT_EQ(std::string(AOT().ADBShootDt[0].Name, 10), "ABCDEFGHIJ");
  EXPECT_EQ(AOT().ADBShootDt[0].Pow, 5);
  SC->DBCharDataLoad();
  const DCDDBallDt& d = AOT().ADBPDt[0][0];
  EXPECT_EQ(AOT().ADTCDt[0][0].Looks.DBFaceNo, 3);
  EXPECT_EQ(AOT().ADTCDt[0][0].Looks.SkinCol, 0);  // 40 names no colour set
  EXPECT_EQ(d.dHP, 300 & 0xFF);                     // byte fields keep the low 8 bits
  EXPECT_EQ(d.dBP, 254);
  EXPECT_EQ(d.dHS, 0);  // 30 names no shot
  EXPECT_EQ(d.dJHS, 2);
  fs::remove(dir / "data/DBShootData.csv");
  SC->DBShootDataLoad();
  EXPECT_FALSE(Glb.InfMsg().empty());
}

}  // namespace

namespace {

// The whole start-up with the game's own parts: a loading failure inside the
// scene controller ends in one error box at the first loop call.
class LoadHalt : public formkit::FormFixture {
 protected:
  // The pictures load from the game folder, so only the archives can fail.
  void Run() {
    WriteSettings(1);
    const fs::path built = fs::path(QORV_BINARY_DIR) / "game" / "data" / "bmp";
    if (!fs::exists(built / "dbop.png")) GTEST_SKIP() << "no built pictures";
    fs::create_directories(dir_ / "data" / "bmp");
    for (const auto& e : fs::directory_iterator(built))
      fs::copy_file(e.path(), dir_ / "data" / "bmp" / e.path().filename(),
                    fs::copy_options::overwrite_existing);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_);
    form = std::make_unique<TForm1>(host, TForm1Parts{}, BuildFlags{true, false});
    form->Create();
    host.MaxIdleCalls = 100;
    host.Run();
    fs::current_path(cwd);
    EXPECT_EQ(host.IdleCalls, 1u);
  }
};

TEST_F(LoadHalt, AMissingArchiveIsShownOnceAndEndsTheProgram) {
  Run();
  if (IsSkipped()) return;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"File Not Found\"");
  EXPECT_TRUE(host.Terminated());
}

TEST_F(LoadHalt, ADamagedArchiveIsShownAsFileVerErr) {
  for (const char* f : {"data/DBData.qx2", "data/defteam.qx2"}) {
    std::vector<uint8_t> junk(600, 0x41);
    ASSERT_TRUE(plat::WriteFile(dir_.string() + "/" + f, junk.data(), junk.size()));
  }
  Run();
  if (IsSkipped()) return;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"File Ver Err\"");
  EXPECT_TRUE(host.Terminated());
}

}  // namespace

namespace {

// Without the scene pictures the general texture set fails first: the renderer
// error is what the player sees, and no data is loaded after it.
TEST_F(LoadHalt, AMissingPictureIsShownAsALibErr) {
  WriteSettings(1);
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_);
  form = std::make_unique<TForm1>(host, TForm1Parts{}, BuildFlags{true, false});
  form->Create();
  host.MaxIdleCalls = 100;
  host.Run();
  fs::current_path(cwd);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"ALib Err\"");
}

}  // namespace

namespace {

TEST(TeamFile, AnEmptyDecodedFileGivesAZeroRecord) {
  DTCharData rec;
  std::memset(&rec, 0x5A, sizeof rec);
  ASSERT_TRUE(scenectrl::ReadTeamFile(BuildSAIFile({}), rec));
  EXPECT_EQ(rec.Name[0], 0);
}

}  // namespace
