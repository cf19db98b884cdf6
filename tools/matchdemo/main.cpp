// qorv_matchdemo: the game, started straight in a watch match (both sides
// computer-driven) instead of the title, so a match can be looked at without
// a pad or the menus. Teams come from the arguments (default 0 and 1). Copy
// it beside the game's qorv (it reads data/ and data/dbcfg.sai there); Esc
// quits, and a finished match goes on to the team select as usual.
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "match/clsObject.h"
#include "platform/Files.h"
#include "shell/FormParts.h"
#include "shell/GlbRecord.h"
#include "shell/Main.h"
#include "shell/Program.h"
#include "shell/clsAllTx.h"
#include "shell/clsGenScene.h"
#include "shell/clsSceneCtrl.h"

namespace {

// The game's scene controller, jumping into a match on its first step.
class MatchJump final : public FormScene {
 public:
  MatchJump(std::unique_ptr<TSceneCtrl> sc, int team0, int team1)
      : SC(std::move(sc)), Team{team0, team1} {}

  void OnMove() override {
    if (!started && SC->Built()) Start();
    SC->OnMove();
  }
  void OnDraw() override { SC->OnDraw(); }
  void OnJump() override { SC->OnJump(); }
  void SceneJump(int s) override { SC->SceneJump(s); }
  void SceneOnReset() override { SC->SceneOnReset(); }
  void CfgBtn() override { SC->CfgBtn(); }
  void DataLoad() override { SC->DataLoad(); }
  void OnRestore() override { SC->OnRestore(); }
  bool OnSave() override { return SC->OnSave(); }
  bool OnLoad() override { return SC->OnLoad(); }
  int NowScene() const override { return SC->NowScene(); }
  void SetSvSlt(int slot) override { SC->SetSvSlt(slot); }

 private:
  // What the menus would have chosen: a watch match, members at their own
  // positions, and each position's pictures loaded.
  void Start() {
    started = true;
    DBGameData& g = SC->SDt->DBGDt;
    g.DBGM = dbgmKansen;
    g.DBDif = dbdfNomal;
    g.DBCPUNum = 2;
    for (int s = 0; s < DBSIDES; ++s) {
      g.DBTeamNo[s] = uint8_t(Team[s]);
      for (int p = 0; p < DBPOSITIONS; ++p) {
        g.DBCharofP[s][p] = p;
        g.DBPosofC[s][p] = p;
      }
    }
    TAllObj& ao = *SC->AO;
    for (int s = 0; s < DBSIDES; ++s) {
      for (int p = 0; p < DBPOSITIONS; ++p) ao.DB6[s][p]->OnInit();
      ao.DBT[s]->OnInit();
    }
    SC->AC->ClearCharDBp();
    for (int s = 0; s < DBSIDES; ++s)
      for (int p = 0; p < DBPOSITIONS; ++p) {
        const DCDLooks& looks = SC->AOT->ADTCDt[Team[s]][p].Looks;
        SC->AC->LoadDBBMP(s, p, looks.DBFaceNo, Team[s], p, looks);
      }
    SC->SceneJump(stDB);
  }

  std::unique_ptr<TSceneCtrl> SC;
  int Team[2];
  bool started = false;
};

int TeamArg(int argc, char** argv, int i, int def) {
  if (argc <= i) return def;
  int t = std::atoi(argv[i]);
  return t >= 0 && t < DBTEAMS ? t : def;
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  const int t0 = TeamArg(argc, argv, 1, 0), t1 = TeamArg(argc, argv, 2, 1);
  TForm1Parts parts = DefaultParts();
  auto makeGame = parts.MakeScene;
  parts.MakeScene = [makeGame, t0, t1](TForm1& f) {
    std::unique_ptr<FormScene> game = makeGame(f);
    auto* sc = dynamic_cast<TSceneCtrl*>(game.get());
    if (!sc) return game;
    game.release();
    return std::unique_ptr<FormScene>(
        std::make_unique<MatchJump>(std::unique_ptr<TSceneCtrl>(sc), t0, t1));
  };
  // The game's window, keyboard and pads, so player 1 can leave the versus
  // screen once the first match is over.
  return RunGameOnSdl(std::move(parts));
}
