// A court of fourteen players, the ball, a tuning table, scripted input and a
// sound double, for the tests of the players' control, decisions, actions,
// shots and targets.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "input/DILib.h"
#include "match/PlayerControlSeams.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"

namespace mctest {

// A device slot whose words are set by the test: Held[0] is now, Held[n] n
// steps ago; Pushed is this step's pushed word.
class ScriptDI : public TDISAI {
public:
    ScriptDI() : TDISAI(nullptr, 0, 8) {}
    static constexpr uint16_t Bit(CrsType c) { return uint16_t(0x1000u << c); }
    static constexpr uint16_t Bit(BtnType b) { return uint16_t(1u << b); }

    bool CheckBtn(BtnType b, int pos) override { return pos == 0 && (Pushed & Bit(b)); }
    bool CheckBtn2(BtnType b, int pos) override { return pos < 64 && (Held[pos] & Bit(b)); }
    bool CheckCrs(CrsType c, int pos) override { return pos == 0 && (Pushed & Bit(c)); }
    bool CheckCrs2(CrsType c, int pos) override { return pos < 64 && (Held[pos] & Bit(c)); }
    bool CheckCrs2X(int pos) override { return CheckCrs2(cL, pos) || CheckCrs2(cR, pos); }
    bool CheckCrs2Y(int pos) override { return CheckCrs2(cU, pos) || CheckCrs2(cD, pos); }
    bool CheckAnyCrs() override { return Pushed & 0xF000; }
    bool CheckAnyCrs2() override { return Held[0] & 0xF000; }
    bool CheckJump() override {
        return (CheckBtn2(bA, 0) && CheckBtn(bB, 0)) || (CheckBtn2(bB, 0) && CheckBtn(bA, 0));
    }

    // Holds and pushes a word now (a push counts as held).
    void Push(uint16_t w) {
        Pushed = w;
        Held[0] |= w;
    }
    void Hold(uint16_t w) { Held[0] = w; }
    void Clear() {
        Held.fill(0);
        Pushed = 0;
        DHKey = dN;
    }
    std::array<uint16_t, 64> Held{};
    uint16_t Pushed = 0;
};

class SoundLog : public TOggDataCtrl {
public:
    void SEPlay(int No) override { Played.push_back(No); }
    void SESet(int No) override { Played.push_back(No); }
    std::vector<int> Played;
};

class Court : public ::testing::Test {
protected:
    void SetUp() override {
        oldGC = GC;
        table = std::make_unique<TGlbConst>(false);
        GC = table.get();
        glb.OC = &sound;
        hub = std::make_unique<TAllObTx>();
        hub->SDt = &sdt;
        objs = std::make_unique<TAllObj>(nullptr, hub.get(), &glb);
        hub->AO = objs.get();
        for (int r = 0; r < DBRANK_ROWS; ++r) {
            hub->ADBRankDt[r].BP.Lv = r * 10;  // level r from power 10 r
            hub->ADBRankDt[r].BP.Sp = 100 + r;
        }
        for (int p = 0; p < DBPOSITIONS; ++p) hub->ADBPDt[0][p].dHP = 40;
        ResetCourt();
        SetRandSeed(12345);
        ResetRandomDraws();
    }
    // Every player at his starting place, the teams with nobody covering,
    // and a free ball that nobody holds or aims at.
    void ResetCourt() {
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) {
                P(s, p).OnInit();
                P(s, p).DI = s == 0 ? &di0 : &di1;
            }
        for (int s = 0; s < DBSIDES; ++s) {
            objs->DBT[s]->OnInit();
            mcs::TeamSt(P(0, 0), s) = DBTeamState{};
            mcs::TeamSt(P(0, 0), s).CvrNo = -1;
        }
        DBBallState& b = Ball();
        b = DBBallState{};
        b.HoldTNo = b.HoldPNo = b.ShTgTNo = b.ShTgPNo = b.PaTgTNo = b.PaTgPNo = -1;
        b.PichTNo = b.PichPNo = -1;
        b.Motion = dbbFree;
    }
    void TearDown() override { GC = oldGC; }

    TDBPlayer& P(int side, int pos) { return *objs->DB6[side][pos]; }
    DBBallState& Ball() { return hub->DBBallSt; }
    TZahyou& BallZ() { return *hub->BallZahyou(); }
    CstDB& DB() { return table->DB; }
    DBTeamState& Team(int side) { return mcs::TeamSt(P(0, 0), side); }
    void Place(TDBPlayer& p, int32_t x, int32_t z) {
        p.MyZahyou->X = x;
        p.MyZahyou->Z = z;
    }
    void Face(TDBPlayer& p, MukiType m, MukiZType mz) {
        p.MyZahyou->SetMuki(m);
        p.MyZahyou->SetMukiZ(mz);
    }
    // Gives the ball to a player without any of the choices a catch makes.
    void Hold(TDBPlayer& p) {
        Ball().Motion = dbbHold;
        Ball().HoldTNo = Ball().PichTNo = p.SideNo;
        Ball().HoldPNo = Ball().PichPNo = p.PosNo;
    }
    // Every enemy infielder out of the way of a test.
    void KillInfield(int side) {
        for (int i = 0; i < 4; ++i) P(side, i).MySt->Dead_f = 1;
    }

    TGlbConst* oldGC = nullptr;
    std::unique_ptr<TGlbConst> table;
    SoundLog sound;
    TGlobalSAI glb{nullptr};
    TSceneData sdt;
    std::unique_ptr<TAllObTx> hub;
    std::unique_ptr<TAllObj> objs;
    ScriptDI di0, di1;
};

}  // namespace mctest
