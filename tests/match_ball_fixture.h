// A match's hub, objects and tuning table for the ball's tests: the default
// tuning values, a silent sound controller and a font that only keeps track
// of its damage numbers.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/clsBall.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/SAIData.h"
#include "sound/OggDataLib.h"

// A device slot whose held directions the test sets.
class HeldKeys : public TDISAI {
public:
    HeldKeys() : TDISAI(nullptr, 0, 0) {}
    bool CheckCrs2(CrsType c, int Pos) override { return Pos == 0 && held[c]; }
    bool held[4] = {};
};

// A silent sound controller that notes the effects it is asked to stop.
class StopNotingSound : public TOggDataCtrl {
public:
    void SEStop(int No) override { stopped.push_back(No); }
    std::vector<int> stopped;
};

class BallFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GC;
        table.DB = CstDefaults();
        GC = &table;
        glb.OC = &oc;
        glb.FD = &fd;
        glb.Flags.Debug_f = false;
        hub = std::make_unique<TAllObTx>();
        grp = std::make_unique<TGrpData>();
        hub->SDt = &sdt;
        hub->GDt = grp.get();
        sdt.DBGDt.DBSSt = dbssShiai;
        sdt.DBGDt.DBCPUNum = 1;
        objs = std::make_unique<TAllObj>(nullptr, hub.get(), &glb);
        hub->AO = objs.get();
        ball = objs->DBall.get();
        ball->OnInit();
    }
    void TearDown() override { GC = saved; }

    DBBallState& st() { return *ball->MySt; }
    TZahyou& bz() { return ball->Zh(); }
    TDBPlayer& P(int side, int pos) { return *objs->DB6[side][pos]; }

    void Place(int32_t x, int32_t y, int32_t z, int32_t dx, int32_t dy, int32_t dz) {
        TZahyou& b = bz();
        b.X = x, b.Y = y, b.Z = z, b.dX = dx, b.dY = dy, b.dZ = dz;
        st().LandSet_f = 0;
    }
    void InitPlayers() {
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) P(s, p).OnInit();
    }

    TGlbConst* saved = nullptr;
    TGlbConst table{false};
    TGlobalSAI glb{nullptr};
    StopNotingSound oc;
    TFontDraw fd;
    TSceneData sdt;
    std::unique_ptr<TAllObTx> hub;
    std::unique_ptr<TGrpData> grp;
    std::unique_ptr<TAllObj> objs;
    TDBBall* ball = nullptr;
};
