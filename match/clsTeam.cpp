// A team: control, the enemy centre, the infield formation, and the team's
// players' steps, drawing and saving.
#include "match/clsObject.h"
#include "shell/GlbRecord.h"
#include "input/DILib.h"

TDBTeam::TDBTeam(TAllObTx* aot, TGlobalSAI* glb, uint8_t sideNo)
    : AOT(aot), Glb(glb), SideNo(sideNo), EnSideNo(uint8_t(1 - sideNo)) {
    if (glb && glb->ADI) DI = glb->ADI->DI[sideNo].get();
    TSt.CtrlNo = 0;
}

void TDBTeam::OnInit() {}
bool TDBTeam::AllDead_f() const {
    for (int k = 0; k < 4; ++k)
        if (!AOT->ADBPSt[SideNo][k].Dead_f) return false;
    return true;
}
bool TDBTeam::LastOne_f() const {
    int left = 0;
    for (int k = 0; k < 4; ++k)
        if (!AOT->ADBPSt[SideNo][k].Dead_f) ++left;
    return left == 1;
}
void TDBTeam::OnMove() {}
void TDBTeam::OnReMove() {}
void TDBTeam::OnSetOS() {}
void TDBTeam::OnDraw() {}
void TDBTeam::OnSave() { AOT->SvDt.DBTSt[SideNo] = TSt; }
void TDBTeam::OnLoad() { TSt = AOT->SvDt.DBTSt[SideNo]; }
int32_t TDBTeam::GetInfPaTg() const { return 0; }
int32_t TDBTeam::SeekCtrl(bool) { return -1; }
void TDBTeam::SeekCover(int32_t) {}
void TDBTeam::SetCtrl(int32_t) {}
void TDBTeam::SetDefEnCXZ() {
    TSt.PosMove.EnC_f = 1;
    TSt.PosMove.EnCX = 11600;
    TSt.PosMove.EnCZ = 5600;
}
void TDBTeam::GetCtrl() {}
void TDBTeam::GetCOG() {}
void TDBTeam::CheckEnC() {}
void TDBTeam::Positioning() {}
