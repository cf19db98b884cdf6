// Whole matches without a window, a sound device or pads: the game's own
// scene controller over the archives of a game folder, driving the match
// scene step by step. The match runner and the whole-match tests play
// through it, so they set a match up exactly as the game does.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/recordUnit.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/clsGenScene.h"
#include "shell/clsSceneCtrl.h"
#include "sound/OggDataLib.h"

// How a played match ended: the steps it ran and the winning side, or -1
// when no side was all down within the step cap.
struct MatchOutcome {
    int64_t Steps = 0;
    int32_t Winner = -1;
};

class HeadlessGame {
public:
    // With devices, the two player devices exist (for scripted input);
    // without, every side reads nothing. The game's tuning table is this
    // object's until it is destroyed.
    explicit HeadlessGame(bool devices = false);
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Loads the shipped game data of a game folder (the folder holding
    // data/, ending in a separator) as the game does at start: the tuning
    // table, the teams, the rank, shot, frame and motion tables. False, with
    // the reason, when anything is missing or damaged.
    bool Load(const std::string& folder, std::string& why);

    // Chooses the sides of the next match: cpuNum computer-driven sides (2 for
    // a watch match), the level and the two teams, every member on the
    // position of his own number. Returns the match scene.
    TDBScene& SetUpMatch(int cpuNum, DBDifficulty dif, int team0, int team1);

    // Starts the match scene and runs it until a side is all down, or until
    // cap steps have passed. The random sequence is the caller's to seed.
    MatchOutcome Play(int64_t cap);

    TGlobalSAI Glb{nullptr};
    TGlbConst Table{&Glb, false};
    TOggDataCtrl OC;
    TFontDraw FD;
    std::unique_ptr<TADISAI> ADI;
    std::unique_ptr<TSceneCtrl> SC;

private:
    TGlbConst* savedGC_ = nullptr;
};
