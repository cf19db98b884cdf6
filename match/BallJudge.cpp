// The catch and hit judgement of a shot or pass in flight: who it touches,
// whether that is a catch, and what a hit does to the player and the ball.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "match/clsBall.h"
#include "match/clsBallUtil.h"
#include "graphics/ALAddLib.h"
#include "shell/GlbRecord.h"
#include "input/DILib.h"

using namespace ballutil;

namespace {

// Debug texts of the catch window (Shift-JIS).
// "現キャッチカウンタ" (the catch counter now)
constexpr const char* kCatchCounter = "\x8C\xBB\x83\x4C\x83\x83\x83\x62\x83\x60\x83\x4A\x83\x45\x83\x93\x83\x5E";
// "キャッチ有効フレーム(下限 = " (the catch window, with its lower bound)
constexpr const char* kCatchWindow =
    "\x83\x4C\x83\x83\x83\x62\x83\x60\x97\x4C\x8C\xF8\x83\x74\x83\x8C\x81\x5B\x83\x80\x28\x89\xBA"
    "\x8C\xC0\x20\x3D\x20";
// "空中キャッチ摩擦Fric_c" (the slide of a catch)
constexpr const char* kCatchSlide =
    "\x8B\xF3\x92\x86\x83\x4C\x83\x83\x83\x62\x83\x60\x96\x80\x8E\x43\x46\x72\x69\x63\x5F\x63";

double Rad(int32_t deg) { return deg * std::numbers::pi / 180.0; }

bool Intersects(const DBRect& a, const DBRect& b) {
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
           std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

int32_t Sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// The catch-window field of a shot level (0 pass or plain, 1..6, 7..8 special).
int32_t CatchFrames(const DBCaTData& c, int32_t lv, bool pass, bool easy) {
    if (pass) return easy ? c.EZCaFrm_P : c.CaFrm_P;
    switch (lv) {
        case 0: return easy ? c.EZCaFrm_G : c.CaFrm_G;
        case 1: return easy ? c.EZCaFrm_F : c.CaFrm_F;
        case 2: return easy ? c.EZCaFrm_E : c.CaFrm_E;
        case 3: return easy ? c.EZCaFrm_D : c.CaFrm_D;
        case 4: return easy ? c.EZCaFrm_C : c.CaFrm_C;
        case 5: return easy ? c.EZCaFrm_B : c.CaFrm_B;
        case 6: return easy ? c.EZCaFrm_A : c.CaFrm_A;
        default: return easy ? c.EZCaFrm_HS : c.CaFrm_HS;
    }
}

// The mid-air recovery field of the guts row for a shot level.
int32_t AirRevFrames(const DBGutData& g, int32_t lv, bool pass) {
    if (pass) return g.ARevFrm_P;
    switch (lv) {
        case 0: return g.ARevFrm_G;
        case 1: return g.ARevFrm_F;
        case 2: return g.ARevFrm_E;
        case 3: return g.ARevFrm_D;
        case 4: return g.ARevFrm_C;
        case 5: return g.ARevFrm_B;
        case 6: return g.ARevFrm_A;
        default: return g.ARevFrm_HS;
    }
}

}  // namespace

void TDBBall::OnJudge() {
    if (MySt->Motion != dbbShoot && MySt->Motion != dbbPass) return;
    if (InResult(AOT)) return;
    Shootman = PlayerAt(MySt->PichTNo, MySt->PichPNo);
    OSShoot();
    if (MySt->HitTNo == -1) return;
    Hitman = PlayerAt(MySt->HitTNo, MySt->HitPNo);
    if (Hitman && Hitman->MySt && Hitman->MyZahyou) ShootHit();
}

void TDBBall::OSShoot() {
    if (MySt->Motion != dbbShoot && MySt->Motion != dbbPass) return;
    bool pass = MySt->Motion == dbbPass;
    if (MySt->NoHit_c == 0)
        for (int p = 0; p < DBPOSITIONS; ++p)
            if (TDBPlayer* e = PlayerAt(MySt->EnemTNo, p); e && HitCheck(e)) return;
    int side = MySt->PichTNo;
    bool infieldThrower = MySt->PichPNo >= 0 && MySt->PichPNo <= 3;
    for (int p = 0; p < DBPOSITIONS; ++p) {
        TDBPlayer* m = PlayerAt(side, p);
        if (!m || !m->MySt || p == MySt->PichPNo) continue;
        bool ok;
        if (pass)
            ok = p == MySt->PaTgPNo ||
                 (PlayerPaCoverMan(m) && TeamCtrlNo(AOT, side) == MySt->PaTgPNo);
        else
            ok = !(infieldThrower && m->Infield_f);
        if (ok && PlayerCtrlable(m) && HitCheck(m)) return;
    }
}

bool TDBBall::HitCheck(TDBPlayer* p) {
    if (!p || !p->MySt || !p->MyZahyou) return false;
    const DBPlayerState& st = *p->MySt;
    if (st.Dead_f || st.Motion.MF.Has(dbmfMTK)) return false;
    if (!Intersects(st.Kurai, MySt->Atari)) return false;
    if (std::abs(int64_t(Zh().Z / 100) - p->MyZahyou->Z / 100) >= MySt->AtariD) return false;
    MySt->HitTNo = p->SideNo;
    MySt->HitPNo = p->PosNo;
    return true;
}

int32_t TDBBall::GetDamPer(int32_t BP, int32_t DAMPer) {
    return int32_t(std::clamp<int64_t>(int64_t(BP) * DAMPer / 100, INT32_MIN, INT32_MAX));
}

int32_t TDBBall::SetShootAgl8() const {
    int64_t vx = int64_t(Zh().dX) + MySt->CrvX, vz = int64_t(Zh().dZ) + MySt->CrvZ;
    if (vx == 0 && vz == 0) return -1;
    if (vx == 0) return vz < 0 ? 0 : 4;
    if (vz == 0) return vx < 0 ? 2 : 6;
    bool steep = std::abs(vz) >= std::abs(vx);
    if (vx < 0 && vz < 0) return steep ? 0 : 1;
    if (vx < 0) return steep ? 3 : 2;
    if (vz > 0) return steep ? 4 : 5;
    return steep ? 7 : 6;
}

bool TDBBall::CheckCaAgl(const TDBPlayer* p, int32_t ShAgl) {
    int32_t m = p->MySt->MukiAgl;
    if (ShAgl == -1 || ShAgl == m || ShAgl == Mod(m + 7, 8)) return true;
    bool right = p->MyZahyou->Muki() == mR;
    int32_t e;
    switch (p->MyZahyou->MukiZ()) {
        case mzF: e = right ? 3 : 4; break;
        case mzB: e = right ? 0 : 7; break;
        default: return false;
    }
    return ShAgl == e || ShAgl == (e + 7) % 8 || ShAgl == (e + 9) % 8;
}

bool TDBBall::CheckBackHit(const TDBPlayer* p) const {
    bool left = p->MyZahyou->Muki() == mL;
    return (left && Zh().dX < 0) || (!left && Zh().dX > 0);
}

void TDBBall::ShootSEStop() {
    SEStop(Glb, 2);
    SEStop(Glb, 27);
}

void TDBBall::SetAirRev(TDBPlayer* p, int32_t tShLv) {
    DBPlayerState& st = *p->MySt;
    static const DBGutData noGuts{};
    const DBGutData& g = p->MyLv.Gut ? *p->MyLv.Gut : noGuts;
    bool pass = MySt->Motion == dbbPass;
    int32_t a = -1;
    if (st.MHP_f || st.HP >= g.ARevHP) {
        a = AirRevFrames(g, tShLv, pass);
        if (a <= 0) a = -1;
    }
    int64_t b = 0;
    if (!pass) {
        const DBShootData* row = HSRow();
        b = (row && MySt->ShSt.HSNo != dbhNML ? row->SlpSp : BPRow(tShLv).SlpSpGuts);
        b -= g.ARevStop;
    }
    st.AirRev_c = a;
    st.AirFric_c = Sat(std::max<int64_t>(b, 0));
}

void TDBBall::ShootHit() {
    TDBPlayer* h = Hitman;
    DBPlayerState& hs = *h->MySt;
    const TZahyou& bz = Zh();
    const bool pass = MySt->Motion == dbbPass;
    const DBShootData* row = pass ? nullptr : HSRow();
    const bool special = row && MySt->ShSt.HSNo != dbhNML;

    const int32_t ShAgl = SetShootAgl8();
    const bool ZShoot_f = std::abs(int64_t(bz.dX)) < std::abs(int64_t(bz.dZ));
    const double rr = std::hypot(double(bz.dX), double(bz.dZ));
    const int32_t tShLv = pass ? 0 : !special ? MySt->ShSt.ShLv : (row->Round_f ? 8 : 7);
    bool Catch_f = true;

    if (MySt->PichTNo == h->SideNo) {
        // The own side's ball: a team-mate takes it, unless he dodges a pass
        // or a boomerang passes him by.
        if (pass) {
            if (hs.Motion.Mtype == dbmtDg || hs.Motion.Mtype == dbmtJDg) return;
            hs.AirCatch_f = 0;
        } else if (MySt->ShSt.HSNo == dbhBMR && h != Shootman) {
            return;
        }
    } else if (hs.Catch_c == -1) {
        Catch_f = false;
    } else {
        static const DBCaTData noCatch{};
        const DBCaTData& ct = h->MyLv.CaT ? *h->MyLv.CaT : noCatch;
        const bool easy = AOT->SDt && AOT->SDt->DBGDt.DBDif == dbdfEasy;
        int64_t t = CatchFrames(ct, tShLv, pass, easy);
        int32_t minimum = easy ? ct.EZMinCaFrm : ct.MinCaFrm;
        DBMotionType mt = hs.Motion.Mtype;
        if (mt == dbmtCa || mt == dbmtJCa) {
            bool ds = hs.Motion.MF.Has(dbmfDs);
            int64_t l;
            if (special)
                l = mt == dbmtCa ? (ds ? row->DsDecFrm : row->StDecFrm)
                                 : (ds ? row->DJDecFrm : row->JpDecFrm);
            else {
                const DBBPData& bp = BPRow(tShLv);
                l = mt == dbmtCa ? (ds ? bp.DsDecFrm : bp.StDecFrm)
                                 : (ds ? bp.DJDecFrm : bp.JpDecFrm);
            }
            t = std::max<int64_t>(t - l, minimum);
        }
        if (Glb) {
            Glb->SetDbgTxt(kCatchCounter, Sat(int64_t(hs.Catch_c) + 1));
            Glb->SetDbgTxt(std::string(kCatchWindow) + std::to_string(minimum) + ")", Sat(t));
        }
        if (hs.Catch_c >= t || !CheckCaAgl(h, ShAgl)) Catch_f = false;
    }

    if (Catch_f) {
        Catch(h, row, special, pass, tShLv, rr);
        return;
    }
    Hit(h, row, special, pass, tShLv, ZShoot_f, rr);
}

void TDBBall::Catch(TDBPlayer* h, const DBShootData* row, bool special, bool pass,
                    int32_t tShLv, double rr) {
    DBPlayerState& hs = *h->MySt;
    TZahyou& hz = *h->MyZahyou;
    const TZahyou& bz = Zh();
    SESet(Glb, 15);
    ShootSEStop();
    hs.FricX = hs.FricZ = 0;
    if (h != Shootman) {
        int32_t mag = DB().DBETC.FCTOSAIMAG;
        if (rr > 1) {
            hs.FricX = Trunc(bz.dX * double(mag) / rr);
            hs.FricZ = Trunc(bz.dZ * double(mag) / rr);
        } else if (!pass && MySt->ShSt.HSNo == dbhMOZ) {
            hs.FricZ = -100;
        }
        static const DBCaTData noCatch{};
        const DBCaTData& ct = h->MyLv.CaT ? *h->MyLv.CaT : noCatch;
        const bool air = hs.Motion.MF.Has(dbmfAr);
        const bool ds = hs.Motion.MF.Has(dbmfDs);
        int32_t s = air ? (ds ? ct.DJStop : ct.JpStop) : (ds ? ct.DsStop : ct.StStop);
        int64_t g = 0;
        if (!pass) g = int64_t(special ? row->SlpSp : BPRow(tShLv).SlpSp) - s;
        if (Glb) Glb->SetDbgTxt(kCatchSlide, Sat(g));
        if (air) {
            if (g > 0) {
                hz.dX = Sat(hz.dX + g * hs.FricX / 100);
                hz.dZ = Sat(hz.dZ + g * hs.FricZ / 100);
                hs.Motion.MF = uint16_t(hs.Motion.MF & ~MFBit(dbmfDs));
            }
        } else {
            hz.dX = hz.dZ = 0;
            // Only a human holds a direction; a computer-driven catcher's
            // side reads no device.
            bool left = hz.Muki() == mL;
            bool holdsWay = !PlayerCPU_f(h) && h->DI && h->DI->CheckCrs2(left ? cL : cR, 0);
            if (g > 0) {
                PlayerSetMtype(h, dbmtCM, false);
                hz.Fric_c = Sat(g);
            } else if (ds && holdsWay) {
                PlayerSetMtype(h, dbmtDs, false);
            } else {
                PlayerSetMtype(h, dbmtCM, false);
                hz.Fric_c = 0;
            }
            if (hz.Fric_c > 39) SESet(Glb, 16);
        }
    }
    h->BallGet(true);
}

void TDBBall::Hit(TDBPlayer* h, const DBShootData* row, bool special, bool pass,
                  int32_t tShLv, bool ZShoot_f, double rr) {
    DBPlayerState& hs = *h->MySt;
    TZahyou& hz = *h->MyZahyou;
    TZahyou& bz = Zh();
    const CstDB& db = DB();
    DBShootState& sh = MySt->ShSt;

    // Knock-back angle and speed.
    int32_t ag, sp;
    if (special) {
        ag = row->FlyAgl;
        sp = FCMAG(row->FlySp);
    } else {
        ag = BPRow(sh.ShLv).FlyAg;
        sp = FCMAG(BPRow(sh.ShLv).FlySp);
    }
    const bool back = CheckBackHit(h);
    bool downHit = false;
    if (pass) {
        if (hs.Motion.Mtype != dbmtDn) {
            bool air = hs.Motion.MF.Has(dbmfAr);
            PlayerSetMtype(h, air ? (back ? dbmtFlB : dbmtFlF) : (back ? dbmtPHB : dbmtPHF), false);
        }
        SESet(Glb, 7);
    } else {
        if (!special && hs.Motion.Mtype == dbmtDn)
            downHit = true;
        else
            PlayerSetMtype(h, back ? dbmtFlB : dbmtFlF, false);
        SESet(Glb, sh.NmlSh_f ? 7 : 23);
    }

    if (hs.Motion.Mtype == dbmtPHF || hs.Motion.Mtype == dbmtPHB) {
        hz.dX = hz.dY = hz.dZ = 0;
    } else {
        // Knock-back.
        if (!pass && sh.HSNo == dbhUPR) {
            hz.dX = hz.dY = hz.dZ = 0;
            hs.Stick_f = 1;
        } else {
            hs.Stick_f = 0;
            if (downHit) {
                hz.dX = hz.dY = hz.dZ = 0;
            } else {
                double c = std::cos(Rad(ag)) * sp;
                if (bz.dX != 0 && ZShoot_f) {
                    hz.dX = Trunc(c * bz.dX / rr);
                    hz.dZ = Trunc(c * bz.dZ / rr);
                } else if (bz.dX != 0) {
                    hz.dX = Sat(int64_t(Trunc(c)) * Sign(bz.dX));
                    hz.dZ = 0;
                } else {
                    hz.dX = 0;
                    hz.dZ = Sat(int64_t(Trunc(c)) * Sign(bz.dZ));
                }
                hz.dY = Trunc(std::sin(Rad(ag)) * sp);
                if (ZShoot_f) {
                    hz.dX = Percentage(hz.dX, 50);
                    hz.dZ = Percentage(hz.dZ, 50);
                } else if (bz.dX == 0) {
                    hz.dZ = Percentage(hz.dZ, 50);
                }
            }
        }
        // Roll and damage.
        static const DBGutData noGuts{};
        const DBGutData& gut = h->MyLv.Gut ? *h->MyLv.Gut : noGuts;
        if (pass) {
            hs.Round_f = 0;
            hs.Roll_c = 0;
        } else {
            hs.Round_f = special && row->Round_f;
            if (!ZShoot_f) hs.Roll_c = sh.Roll_f ? Sat(int64_t(gut.RollNum) * 8) : 0;
        }
        if (h->Infield_f) {
            int32_t damPer = h->MyLv.Taf ? h->MyLv.Taf->DamPer : 0;
            int32_t tdam = Sat(std::max<int64_t>(int64_t(GetDamPer(sh.ShPow, damPer)) * sh.NiceLv, 1));
            if (!db.DBDBG.NODAMAGE_F) {
                DownTo0(hs.HP, tdam);
                hs.MHP_f = 0;
            }
            if (Glb && Glb->FD) Glb->FD->FDamSet(hz.X, hz.Y, hz.Z, tdam, true);
            if (hs.Motion.Mtype == dbmtDn && hs.HP < 1) PlayerSetMtype(h, dbmtENG, false);
        }
        SetAirRev(h, tShLv);
    }

    // Breathing after the hit.
    {
        static const DBGutData noGuts{};
        const DBGutData& gut = h->MyLv.Gut ? *h->MyLv.Gut : noGuts;
        int32_t k = 0;
        if (!hs.MHP_f) {
            if (hs.HP < 5) k = gut.Breath4;
            else if (hs.HP <= 8) k = gut.Breath8;
            else if (hs.HP <= 12) k = gut.Breath12;
            else if (hs.HP <= 16) k = gut.Breath16;
        }
        if (k < 1)
            hs.Kagami_c = 0;
        else {
            hs.Kagami_c = k;
            hs.KagamiRev_c = gut.BreathRev;
        }
    }

    // The ball flies on (piercing) or rebounds.
    if (special && row->Pierce_f) {
        if (sh.Hit_c == 0) sh.HitTime = sh.HS_c;
        sh.Hit_c = Sat(int64_t(sh.Hit_c) + 1);
        sh.ShPow = std::max(sh.ShPow - 2, 0);
        return;
    }
    ShootSEStop();
    double hsp = 0;
    int64_t dy;
    if (!pass && sh.HSNo == dbhRET && row) {
        hsp = std::cos(Rad(row->Etc[1])) * FCMAG(row->Etc[0]);
        dy = Trunc(std::sin(Rad(row->Etc[1])) * FCMAG(row->Etc[0]));
    } else if (!pass && sh.HSNo == dbhMOZ && row) {
        dy = FCMAG(row->Etc[4]);
    } else {
        const DBBPData& bp = BPRow(sh.ShLv);
        hsp = std::cos(Rad(bp.RefAg)) * FCMAG(bp.RefSp);
        dy = Trunc(std::sin(Rad(bp.RefAg)) * FCMAG(bp.RefSp));
    }
    if (rr > 0) {
        int32_t ndx = Trunc(-(bz.dX / rr * hsp));
        int32_t ndz = Trunc(-(bz.dZ / rr * hsp));
        bz.dX = ndx;
        bz.dZ = ndz;
    } else {
        bz.dX = bz.dZ = 0;
    }
    bz.dY = Sat(dy);
    SetMType(dbbBound);
}
