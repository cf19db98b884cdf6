#include "shell/clsSceneCtrl.h"

#include <algorithm>
#include <cstring>

#include "files/QDArc.h"
#include "input/DILib.h"
#include "match/clsObject.h"
#include "platform/Files.h"
#include "shell/DBTextImport.h"
#include "shell/GameArchive.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/SAIData.h"
#include "shell/clsAllTx.h"
#include "shell/clsGenScene.h"
#include "shell/clsMenuScene.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"

namespace {

// Halt codes of the loaders.
constexpr int HALT_BADFILE = 2;
constexpr int HALT_ALIB = 3;

constexpr int TEAMS = 24;
constexpr int MEMBERS = 7;
constexpr int DEFTEAM_MAX = TEAMS * MEMBERS;  // 168 members in the default-team archive
constexpr size_t MEMBER_RAW = 232;            // bytes of a default-team entry
constexpr size_t MEMBER_REC = 256;            // bytes of a member record
constexpr size_t ABILITY_AT = 200;            // the ability bytes inside a member record
constexpr size_t ABILITY_COPY = 14;           // dHP .. dSHS2
// A team file holds one member record: coded, behind its 24-byte header, a
// writer makes a few hundred bytes of it, but the digest covers whatever
// follows the record too, so a valid file has no upper size. Far past any
// writer's, a file is not read, so a huge or endless one cannot hold up the
// start or fill the memory.
constexpr size_t TEAMFILE_MAX = size_t(1) << 20;

const char* const kDefTeamArc = "data\\defteam.qx2";
const char* const kDBDataArc = "data\\DBData.qx2";

// Every member record and its match data, as the sources that write them
// whole (the authoring table, a save state) leave them.
void SanitizeMembers(TAllObTx& aot) {
  for (int t = 0; t < TEAMS; ++t)
    for (int m = 0; m < MEMBERS; ++m) {
      SanitizeCharData(aot.ADTCDt[t][m]);
      SanitizeBallDt(aot.ADBPDt[t][m]);
    }
}

std::string ProgramPath(const std::string& rel) { return plat::ProgramFolder() + rel; }

// A CSV source beside the program as text; nullopt when it cannot be read,
// and stderr then names it with what the game does without it.
std::optional<std::string> ReadCsvText(const std::string& rel, const std::string& without) {
  std::string why;
  auto bytes = plat::ReadFile(ProgramPath(rel), SIZE_MAX, &why);
  if (!bytes) {
    ReportLooseFileProblem(ProgramPath(rel), why, without);
    return std::nullopt;
  }
  return std::string(bytes->begin(), bytes->end());
}

// Archives are found in the program's folder, like every other file of the
// game, so a game started from elsewhere still finds them.
CheckedArchive OpenArchive(const char* rel, const char* tag, uint8_t v0, uint8_t v1, uint8_t v2) {
  return OpenGameArchive(ProgramPath(rel), tag, v0, v1, v2);
}

}  // namespace

namespace scenectrl {

bool ReadTeamFile(std::vector<uint8_t> bytes, DTCharData& out, std::string* problem) {
  const size_t size = bytes.size();
  TMemoryStream fs(std::move(bytes));
  auto fail = [problem](std::string why) {
    if (problem) *problem = std::move(why);
    return false;
  };
  if (size < kSAIHeaderSize) return fail("too short for a team file (" + std::to_string(size) + " bytes)");
  if (!CheckFileHashSAI(fs)) return fail("damaged (its digest does not match its contents)");
  auto data = ExtractFromQDASAIStream(fs);
  if (!data) return fail("damaged (its coded data does not fit its header)");
  uint8_t rec[MEMBER_REC] = {};
  // An empty decoded file has no memory to copy from: the record stays zero.
  if (data->Size() > 0)
    std::memcpy(rec, data->Memory(), std::min<size_t>(size_t(data->Size()), MEMBER_REC));
  std::memcpy(&out, rec, MEMBER_REC);
  SanitizeCharData(out);
  return true;
}

std::string SaveSlotPath(int slot) {
  return "data\\SaveData" + std::to_string(std::clamp(slot, 0, 9)) + ".dbsv";
}

}  // namespace scenectrl

// ---------------------------------------------------------------- creation

TSceneCtrl::TSceneCtrl(TDDDD* tDDDD, TAlpha32SAI* tAL, TAnti_DelX* tTW, TADISAI* tADI,
                       TOggDataCtrl* tOC, TGlobalSAI* tGlb, void* /*FC*/)
    : DDDD(tDDDD), AL(tAL), TW(tTW), ADI(tADI), OC(tOC), Glb(tGlb) {
  Create();
}

TSceneCtrl::~TSceneCtrl() {
  // Scenes first, then the objects they refer to, in the reverse of creation.
  for (auto& s : Scene) s.reset();
  MObj.reset();
  CM.reset();
  MDt.reset();
  SDt.reset();
  AC.reset();
  BGC.reset();
  GDt.reset();
  AT.reset();
  AO.reset();
  AOT.reset();
}

void TSceneCtrl::Create() {
  fNowScene = stDBOP;
  SvSlt = 0;
  AOT = std::make_unique<TAllObTx>();
  AO = std::make_unique<TAllObj>(AL, AOT.get(), Glb);
  AT = std::make_unique<TAllTx>(AL, Glb);
  GDt = std::make_unique<TGrpData>();
  BGC = std::make_unique<TBGCtrlSAI>(AL, AT.get(), Glb);
  AC = std::make_unique<TALLtxChar>(AL, Glb, GDt.get());
  SDt = std::make_unique<TSceneData>();
  MDt = std::make_unique<TMapData>();
  CM = std::make_unique<TCamera>();
  if (Glb) Glb->BM = BM;
  AOT->AO = AO.get();
  AOT->AT = AT.get();
  AOT->GDt = GDt.get();
  AOT->BGC = BGC.get();
  AOT->MDt = MDt.get();
  AOT->AC = AC.get();
  AOT->SDt = SDt.get();
  AOT->BM = BM;
  AOT->CM = CM.get();
  MObj = MakeHubMatchObjects(AL, AOT.get(), Glb);

  Glb->InitMsg("\x94\xc4\x97\x70\xc3\xb8\xbd\xc1\xac\x93\xc7\x8d\x9e", 3);  // general textures
  for (int i = 0; i < 5; ++i) AC->LoadBMP(i, i);
  Glb->InitMsg("\xb7\xac\xd7\xc3\xb8\xbd\xc1\xac\x93\xc7\x8d\x9e", 4);  // character textures
  if (AL && AL->Err_f) {
    // The renderer failed: nothing more is built and the loop reports it.
    Glb->HaltMsgNo(HALT_ALIB);
    return;
  }
  DataLoad();
  Glb->InitMsg("\xc3\xde\xb0\xc0\x93\xc7\x8d\x9e", 5);  // data
  DBGameData& g = SDt->DBGDt;
  for (int side = 0; side < 2; ++side)
    for (int k = 0; k < MEMBERS; ++k) g.DBPosofC[side][k] = k;
  LoadFaces();
  Glb->InitMsg("\x91\x53\x8a\xe7\x93\xc7\x8d\x9e", 5);  // all faces
  CreateScenes();
  Glb->InitMsg("\x83\x7d\x83\x62\x83\x76\x93\xc7\x8d\x9e", 6);  // map
  Glb->InitMsg("Scene\x90\xb6\x90\xac", 7);                     // scenes built
  SceneLoad();
  AOT->GameMode = Scene[stDBOP]->GameMode;
  Glb->InitMsg("SceneLoad", 8);
  Built_f = true;
}

void TSceneCtrl::LoadFaces() {
  for (int t = 0; t < TEAMS; ++t)
    for (int m = 0; m < MEMBERS; ++m) {
      const DCDLooks& lk = AOT->ADTCDt[t][m].Looks;
      AC->LoadAllFace(t, m, lk.DBFaceNo, 0, lk.EyeCol, lk.SkinCol, lk.HairCol, t, 0);
    }
  for (int t = 0; t < TEAMS; ++t) AC->LoadAllBody(t);
}

void TSceneCtrl::CreateScenes() {
  TAllObTx* hub = AOT.get();
  Scene[stDB] = std::make_unique<TDBScene>(AL, hub, Glb, stDB);
  Scene[stDBOP] = std::make_unique<TDBOPScene>(AL, hub, Glb, stDBOP);
  Scene[stDBMSL] = std::make_unique<TDBMSLScene>(AL, hub, Glb, stDBMSL);
  Scene[stDBVS] = std::make_unique<TDBVSScene>(AL, hub, Glb, stDBVS);
  Scene[stDBTSL] = std::make_unique<TDBTSLScene>(AL, hub, Glb, stDBTSL);
  Scene[stDBPSL] = std::make_unique<TDBPSLScene>(AL, hub, Glb, stDBPSL);
}

TGenScene* TSceneCtrl::SceneAt(int id) const {
  return id >= 0 && id < SCENENUM ? Scene[id].get() : nullptr;
}

void TSceneCtrl::SetScene(int id, std::unique_ptr<TGenScene> scene) {
  if (id >= 0 && id < SCENENUM) Scene[id] = std::move(scene);
}

// ---------------------------------------------------------------- the step

void TSceneCtrl::OnMove() {
  if (ADI) ADI->Scan(true);
  if (TGenScene* s = SceneAt(fNowScene)) s->OnMove();
  if (OC) OC->IdleEvent();
}

void TSceneCtrl::OnDraw() {
  if (TGenScene* s = SceneAt(fNowScene)) s->OnDraw();
}

void TSceneCtrl::OnJump() {
  TGenScene* cur = SceneAt(fNowScene);
  if (!cur) return;
  int n = cur->NextScene;
  if (n == fNowScene) return;
  TGenScene* next = SceneAt(n);
  // A request for a scene the game does not have leaves the current one running.
  if (!next) return;
  // Leaving the title reloads the tables of the rule chosen there.
  if (fNowScene == stDBOP) DataLoad_Slow();
  fNowScene = uint8_t(n);
  next->OnInit();
  AOT->GameMode = next->GameMode;
}

void TSceneCtrl::SceneJump(int JS) {
  TGenScene* s = SceneAt(JS);
  if (!s) return;
  fNowScene = uint8_t(JS);
  s->OnInit();
  // The hub's mode follows the scene on every kind of switch.
  AOT->GameMode = s->GameMode;
}

void TSceneCtrl::SceneLoad() {
  if (TGenScene* s = SceneAt(fNowScene)) s->OnLoad();
}

void TSceneCtrl::SceneOnReset() {
  if (TGenScene* s = SceneAt(fNowScene)) s->OnInit();
}

void TSceneCtrl::OnRestore() {
  if (AL) AL->RestoreFromList();
}

// ---------------------------------------------------------------- input configuration

void TSceneCtrl::CfgBtn() {
  if (!ADI || !Glb) return;
  ADI->Init(false);
  const TCFGINI& cfg = Glb->CFGINI;
  for (int i = 0; i < 2; ++i) {
    TDISAI& di = *ADI->DI[i];
    int d;
    if (cfg.Auto_f) {
      d = di.SettingAutoDevice(i);
      if (d != 0) d -= 1;
    } else {
      d = cfg.Device[i];
      // A device number the settings cannot mean is the keyboard.
      if (d < 0 || d > 4) d = 0;
      di.SettingDevice(d);
    }
    if (d == 0) {
      const auto& k = cfg.KBBtn;
      di.SettingKB(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11]);
    } else {
      int p = std::clamp(d - 1, 0, 3);
      const auto& b = cfg.JSBtn[p];
      di.SettingBtn(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
      // The authoring build puts the save and load buttons on pad buttons 6 and 7.
      if (AuthoringBuild(Glb)) di.SettingBtn(b[0], b[1], b[2], b[3], 6, 7, b[6], b[7]);
    }
  }
}

// ---------------------------------------------------------------- data loading

void TSceneCtrl::DataLoad() {
  if (GC) GC->IOIni(true, SDt->DBGDt.DBSlow_f != 0);
  DBCharDataLoad();
  Glb->InitMsg("DBCharDataLoad OK", 5);
  DBDBCHDataLoad();
  Glb->InitMsg("DBDBCHDataLoad OK", 5);
  DBRankDataLoad();
  Glb->InitMsg("DBRankDataLoad OK", 5);
  DBShootDataLoad();
  Glb->InitMsg("DBShootDataLoad OK", 5);
  GDt->LoadDt(Glb);
  Glb->InitMsg("GDt.LoadDt OK", 5);
}

void TSceneCtrl::DataLoad_Slow() {
  if (GC) GC->IOIni(true, SDt->DBGDt.DBSlow_f != 0);
  DBRankDataLoad();
  DBShootDataLoad();
}

void TSceneCtrl::StoreMember(int t, int m, const DTCharData& rec) {
  DTCharData& c = AOT->ADTCDt[t][m];
  c = rec;
  SanitizeCharData(c);
  std::memcpy(&AOT->ADBPDt[t][m], reinterpret_cast<const uint8_t*>(&c) + ABILITY_AT, ABILITY_COPY);
}

void TSceneCtrl::DBCharDataLoad() {
  if (AuthoringBuild(Glb)) {
    DBCharDataImport();
    return;
  }
  CheckedArchive a = OpenArchive(kDefTeamArc, "DEFT", 0, 0, 1);
  if (a.halt >= 0) {
    Glb->HaltMsgNo(a.halt);
    return;
  }
  auto index = ParseQDAIndex(a.ms.Bytes());
  // The entry count comes from the file: never more members than the teams hold.
  int n = index ? int(std::min<uint32_t>(index->header.DataCount, DEFTEAM_MAX)) : 0;
  std::memset(AOT->ADTCDt, 0, sizeof AOT->ADTCDt);
  for (int i = 0; i < n; ++i) {
    auto entry = ExtractFromQDAStream(a.ms, "def" + NumToStr(i, 3) + ".dbch");
    if (!entry) continue;  // a missing entry keeps the zeroed member
    entry->SetPosition(0);
    auto raw = ExtractFromQDASAIStreamDB(*entry);
    if (!raw || size_t(raw->Size()) < MEMBER_RAW) continue;
    DTCharData rec{};
    std::memcpy(&rec, raw->Memory(), MEMBER_RAW);
    StoreMember(i / MEMBERS, i % MEMBERS, rec);
  }
}

void TSceneCtrl::DBDBCHDataLoad() {
  const std::string root = ProgramPath("teamdata");
  // Something that is there but no folder keeps the default teams, and says so.
  auto notAFolder = [](const std::string& path, const std::string& keeps) {
    if (plat::ReadProblem(path) != "missing") plat::ReportFileProblem(path, "is not a folder; " + keeps);
  };
  if (!plat::DirectoryExists(root)) {
    notAFolder(root, "the default teams play");
    plat::CreateDir(root);
    for (int t = 0; t < TEAMS; ++t) plat::CreateDir(root + "\\team" + NumToStr(t, 2));
    return;
  }
  for (int t = 0; t < TEAMS; ++t) {
    const std::string dir = root + "\\team" + NumToStr(t, 2);
    const std::string keeps = "team " + std::to_string(t) + " keeps its default members";
    if (!plat::DirectoryExists(dir)) {
      notAFolder(dir, keeps);
      plat::CreateDir(dir);
      continue;
    }
    // Every entry of a team file's name, in name order, so every machine loads
    // the same members; one that is no plain file is skipped and named.
    std::string unlisted;
    auto files = plat::ListFiles(dir, ".dbch", &unlisted, plat::ListKinds::AnyEntry);
    if (!unlisted.empty()) plat::ReportFileProblem(dir, unlisted + "; " + keeps);
    for (int m = 0; m < MEMBERS && m < int(files.size()); ++m) {
      // A file that cannot be used still takes its member slot, which keeps
      // the default member; it is named, so its author learns why.
      const std::string path = dir + "\\" + files[m];
      std::string skipped;
      std::optional<std::vector<uint8_t>> bytes;
      if (files[m].find('\\') != std::string::npos)
        skipped = "its name holds a backslash, which the game reads as a folder separator";
      else if (!(bytes = plat::ReadFile(path, TEAMFILE_MAX + 1, &skipped)) && skipped == "missing")
        skipped = "is a symbolic link that leads nowhere";  // it was listed, so the name is there
      DTCharData rec{};
      if (bytes && bytes->size() > TEAMFILE_MAX)
        skipped = "larger than the 1 MiB the game reads of a team file";
      else if (bytes && scenectrl::ReadTeamFile(std::move(*bytes), rec, &skipped))
        StoreMember(t, m, rec);
      if (!skipped.empty())
        plat::ReportFileProblem(path, "skipped: " + skipped + "; member " + std::to_string(m + 1) +
                                          " keeps the default team's");
    }
  }
}

// Reads one table entry of the data archive into dst (cleared first).
bool TSceneCtrl::RankAndShotArchive(const char* entry, void* dst, size_t size) {
  std::memset(dst, 0, size);
  CheckedArchive a = OpenArchive(kDBDataArc, "DBDT", 0, 0, 0);
  if (a.halt >= 0) {
    Glb->HaltMsgNo(a.halt);
    return false;
  }
  auto e = ExtractFromQDAStream(a.ms, entry);
  if (!e) {
    // An archive that passed its checks but lacks the table is damaged.
    ReportDataFileProblem(ProgramPath(kDBDataArc), std::string("damaged (no entry ") + entry + ")");
    Glb->HaltMsgNo(HALT_BADFILE);
    return false;
  }
  std::memcpy(dst, e->Memory(), std::min(size, size_t(e->Size())));
  return true;
}

void TSceneCtrl::DBRankDataLoad() {
  if (AuthoringBuild(Glb)) {
    DBRankDataImport();
    return;
  }
  bool slow = SDt->DBGDt.DBSlow_f != 0;
  RankAndShotArchive(slow ? "DBRankdata2.sai" : "DBRankdata.sai", AOT->ADBRankDt,
                     sizeof AOT->ADBRankDt);
}

void TSceneCtrl::DBShootDataLoad() {
  if (AuthoringBuild(Glb)) {
    DBShootDataImport();
    return;
  }
  RankAndShotArchive("DBShootdata.sai", AOT->ADBShootDt, sizeof AOT->ADBShootDt);
}

// ---------------------------------------------------------------- authoring sources

namespace {
// "セーブできません : " (cannot save), the start of the line a failed save shows.
const char* const kCannotSave = "\x83\x5a\x81\x5b\x83\x75\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1 : ";

// Writes a file of the authoring build. A failure is named on stderr with its
// reason, and the game's info line says what could not be saved; play goes on.
bool WriteAuthoringFile(TGlobalSAI* glb, const std::string& path, const std::string& shown,
                        const void* data, size_t size) {
  std::string why;
  if (plat::WriteFile(path, data, size, &why)) return true;
  plat::ReportFileProblem(path, "not saved (" + why + ")");
  if (glb) glb->SetInf(kCannotSave + shown, 60);
  return false;
}
}  // namespace

void TSceneCtrl::DBCharDataImport() {
  auto text = ReadCsvText("data\\DBCharData.csv", "the members stay blank");
  if (!text) return;
  ImportCharCsv(*text, [](std::string_view n) { return StrToDTNameArr(n); }, AOT->ADTCDt,
                AOT->ADBPDt);
  SanitizeMembers(*AOT);
}

void TSceneCtrl::DBRankDataImport() {
  bool slow = SDt->DBGDt.DBSlow_f != 0;
  std::memset(AOT->ADBRankDt, 0, sizeof AOT->ADBRankDt);
  auto text = ReadCsvText(slow ? "data\\DBRankData2.csv" : "data\\DBRankData.csv",
                          "the rank table stays empty");
  if (!text) return;
  ImportRankCsv(*text, AOT->ADBRankDt);
  const char* name = slow ? "DBRankdata2.sai" : "DBRankdata.sai";
  WriteAuthoringFile(Glb, ProgramPath(name), name, AOT->ADBRankDt, sizeof AOT->ADBRankDt);
}

void TSceneCtrl::DBShootDataImport() {
  std::memset(AOT->ADBShootDt, 0, sizeof AOT->ADBShootDt);
  auto text = ReadCsvText("data\\DBShootData.csv", "the shot table stays empty");
  if (!text) {
    Glb->SetInf("DBShootData\x82\xc8\x82\xa2", 60);  // "DBShootData" missing
    return;
  }
  ImportShootCsv(*text, AOT->ADBShootDt);
  WriteAuthoringFile(Glb, ProgramPath("DBShootdata.sai"), "DBShootdata.sai", AOT->ADBShootDt,
                     sizeof AOT->ADBShootDt);
}

// ---------------------------------------------------------------- save slots

bool TSceneCtrl::OnSave() {
  if (!Built_f) return false;
  QuickSaveData& sv = AOT->SvDt;
  std::memset(&sv, 0, sizeof sv);
  sv.RSeed = RandSeed();
  sv.DBGDt = SDt->DBGDt;
  std::memcpy(sv.ADTCDt, AOT->ADTCDt, sizeof sv.ADTCDt);
  std::memcpy(sv.ADBPDt, AOT->ADBPDt, sizeof sv.ADBPDt);
  std::memcpy(sv.ADBPSt, AOT->ADBPSt, sizeof sv.ADBPSt);
  sv.DBBallSt = AOT->DBBallSt;
  for (int s = 0; s < 2; ++s) MObj->TeamOnSave(s);
  for (int s = 0; s < 2; ++s)
    for (int p = 0; p < MEMBERS; ++p) MObj->PlayerOnSave(s, p);
  MObj->BallOnSave();
  auto bytes = QuickSaveToBytes(sv);
  // "cannot save : #n"; the game goes on.
  return WriteAuthoringFile(Glb, ProgramPath(scenectrl::SaveSlotPath(SvSlt)),
                            "#" + std::to_string(SvSlt), bytes.data(), bytes.size());
}

bool TSceneCtrl::OnLoad() {
  if (!Built_f) return false;
  const std::string path = ProgramPath(scenectrl::SaveSlotPath(SvSlt));
  if (!plat::FileExists(path)) return false;
  auto bytes = plat::ReadFile(path, QUICKSAVE_BYTES + 1);
  if (!bytes) return false;
  QuickSaveData& sv = AOT->SvDt;
  QuickSaveData loaded;
  std::memset(&loaded, 0, sizeof loaded);
  if (!QuickSaveFromBytes(*bytes, loaded)) return false;
  sv = loaded;
  // The match settings first, so the players bind to the saved teams.
  SDt->DBGDt = sv.DBGDt;
  std::memcpy(AOT->ADTCDt, sv.ADTCDt, sizeof sv.ADTCDt);
  std::memcpy(AOT->ADBPDt, sv.ADBPDt, sizeof sv.ADBPDt);
  SanitizeMembers(*AOT);
  for (int s = 0; s < 2; ++s) MObj->TeamOnInit(s);
  for (int s = 0; s < 2; ++s)
    for (int p = 0; p < MEMBERS; ++p) MObj->PlayerOnInit(s, p);
  MObj->BallOnInit();
  SetRandSeed(sv.RSeed);
  std::memcpy(AOT->ADBPSt, sv.ADBPSt, sizeof sv.ADBPSt);
  AOT->DBBallSt = sv.DBBallSt;
  AOT->ResetZahyou();
  for (int s = 0; s < 2; ++s) MObj->TeamOnLoad(s);
  for (int s = 0; s < 2; ++s)
    for (int p = 0; p < MEMBERS; ++p) MObj->PlayerOnLoad(s, p);
  MObj->BallOnLoad();
  CfgBtn();
  DataLoad();
  return true;
}
