#include "match/HeadlessMatch.h"

#include "match/clsObject.h"
#include "platform/Files.h"

HeadlessGame::HeadlessGame(bool devices) : savedGC_(GC) {
    Table.DB = CstDefaults();
    GC = &Table;
    Glb.OC = &OC;
    Glb.FD = &FD;
    if (devices) {
        ADI = std::make_unique<TADISAI>(nullptr, &Glb, false);
        Glb.ADI = ADI.get();
    }
}

HeadlessGame::~HeadlessGame() {
    SC.reset();
    GC = savedGC_;
}

bool HeadlessGame::Load(const std::string& folder, std::string& why) {
    plat::SetProgramFolder(folder);
    SC = std::make_unique<TSceneCtrl>(nullptr, nullptr, nullptr, ADI.get(), &OC, &Glb);
    // The shipped archives, also in an authoring build (which would read the
    // loose sources at creation).
    SC->DBCharDataLoad();
    SC->DBRankDataLoad();
    SC->DBShootDataLoad();
    const TableLoad tables = SC->GDt->LoadDtShipped();
    if (Glb.Halt_f || tables != TableLoad::Ok || Table.LastLoad != TGlbConst::Load::Ok) {
        why = Glb.Halt_f ? Glb.ErrMsg : "no game data tables in " + folder + "data";
        return false;
    }
    return true;
}

TDBScene& HeadlessGame::SetUpMatch(int cpuNum, DBDifficulty dif, int team0, int team1) {
    DBGameData& g = SC->SDt->DBGDt;
    g.DBGM = cpuNum == 2 ? dbgmKansen : dbgmTaisen;
    g.DBCPUNum = uint8_t(cpuNum);
    g.DBDif = dif;
    g.DBTeamNo[0] = uint8_t(team0);
    g.DBTeamNo[1] = uint8_t(team1);
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) {
            g.DBCharofP[s][p] = p;
            g.DBPosofC[s][p] = p;
        }
    return *dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
}

MatchOutcome HeadlessGame::Play(int64_t cap) {
    TDBScene& scene = *dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    scene.OnInit();
    MatchOutcome out;
    while (scene.Winner == -1 && out.Steps < cap) {
        scene.OnMove();
        ++out.Steps;
    }
    out.Winner = scene.Winner;
    return out;
}
