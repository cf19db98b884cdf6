// The scene controller: owner of the scenes and the shared game data, and the
// frame loop's only way into the game. It builds the data hub and the match
// objects, loads every piece of game data in a fixed order, builds the six
// scenes, switches between them when a scene asks, applies the settings record
// to the two player devices and keeps ten save slots of the match state.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <span>

#include "match/recordUnit.h"
#include "shell/FormParts.h"
#include "shell/SAIData.h"

class TDDDD;
class TAlpha32SAI;
class TAnti_DelX;
class TADISAI;
class TOggDataCtrl;
class TGlobalSAI;
class TGenScene;
class TAllObTx;
class TAllObj;
class TAllTx;
class TBtlMsg;
class TCamera;
class TGrpData;
class TALLtxChar;
class TBGCtrlSAI;
class TMapData;
class MatchObjects;

class TSceneCtrl : public FormScene {
 public:
  static constexpr int SCENENUM = 18;
  static constexpr int SAVESLOTS = 10;

  TSceneCtrl(TDDDD* tDDDD, TAlpha32SAI* tAL, TAnti_DelX* tTW, TADISAI* tADI, TOggDataCtrl* tOC,
             TGlobalSAI* tGlb, void* FC = nullptr);
  ~TSceneCtrl() override;
  TSceneCtrl(const TSceneCtrl&) = delete;
  TSceneCtrl& operator=(const TSceneCtrl&) = delete;

  // One logic step: scan the two player devices, move the current scene, then
  // play the sound effects requested during the step.
  void OnMove() override;
  void OnDraw() override;
  // After drawing: switch to the scene the current one asks for.
  void OnJump() override;
  // Straight to a scene (the return to the title): its OnInit and nothing else.
  void SceneJump(int JS) override;
  void SceneLoad();
  void SceneOnReset() override;
  void OnRestore() override;
  void CfgBtn() override;
  void DataLoad() override;
  void DataLoad_Slow();
  // The match state to and from data\SaveData<SvSlt>.dbsv. OnSave reports a
  // write failure as an information text; OnLoad refuses a missing, short or
  // damaged slot file with false and changes nothing.
  bool OnSave() override;
  bool OnLoad() override;

  // The loaders; each records a halt message on a missing or damaged archive.
  void DBCharDataLoad();
  void DBDBCHDataLoad();
  void DBRankDataLoad();
  void DBShootDataLoad();

  // The scene in a slot, or null for an empty one.
  TGenScene* SceneAt(int id) const;
  // Replaces the scene in a slot (tests put recording scenes here).
  void SetScene(int id, std::unique_ptr<TGenScene> scene);
  // True when the creation stopped early (renderer error): no data, no scenes.
  bool Built() const { return Built_f; }

  TDDDD* DDDD;
  TAlpha32SAI* AL;
  TAnti_DelX* TW;
  TADISAI* ADI;
  TOggDataCtrl* OC;
  TGlobalSAI* Glb;
  std::unique_ptr<TGenScene> Scene[SCENENUM];
  std::unique_ptr<TAllObTx> AOT;
  std::unique_ptr<TAllObj> AO;
  std::unique_ptr<TAllTx> AT;
  TBtlMsg* BM = nullptr;  // never created
  std::unique_ptr<TCamera> CM;
  std::unique_ptr<TSceneData> SDt;
  std::unique_ptr<TGrpData> GDt;
  std::unique_ptr<TALLtxChar> AC;
  std::unique_ptr<TBGCtrlSAI> BGC;
  std::unique_ptr<TMapData> MDt;
  // The match objects as the save slots reach them (tests put a recorder here).
  std::unique_ptr<MatchObjects> MObj;
  // The current scene; the title after creation.
  int NowScene() const override { return fNowScene; }
  void SetSvSlt(int slot) override { SvSlt = slot; }
  uint8_t fNowScene = stDBOP;
  int32_t SvSlt = 0;

 private:
  void Create();
  void LoadFaces();
  void CreateScenes();
  bool RankAndShotArchive(const char* entry, void* dst, size_t size);
  void DBRankDataImport();
  void DBShootDataImport();
  void DBCharDataImport();
  void StoreMember(int t, int m, const DTCharData& rec);
  bool Built_f = false;
};

// Helpers of the loaders, exposed for tests.
namespace scenectrl {
// A user team file: checked, decoded and read into a member record (at most
// 256 bytes, the rest zero) with out-of-range colours and shots read as none.
// False, with out untouched, when the file fails its check or does not decode;
// *problem (when given) then says which.
bool ReadTeamFile(std::vector<uint8_t> bytes, DTCharData& out, std::string* problem = nullptr);
// The save-slot file name of a slot ("data\SaveData3.dbsv").
std::string SaveSlotPath(int slot);
}  // namespace scenectrl
