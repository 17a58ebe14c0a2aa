#include "stage_run.h"

#include "shell/game.h"

namespace {
// A 60 Hz frame in whole milliseconds: 1000 / 60 spread as 16, 17, 17.
constexpr int kFrameMs[3] = {16, 17, 17};

HarnessOptions Options(int stage, const std::string& stageFile) {
    HarnessOptions o;
    o.silentAudio = true;
    o.settings = {{"Stage Start", stage}};
    if (!stageFile.empty()) o.files["../assets/stage.dat"] = stageFile;
    return o;
}
}  // namespace

StageRun::StageRun(int stage, int phaseIn, const std::string& stageFile)
    : h(Options(stage, stageFile)), phase(phaseIn) {
    h.StartGame();
}

void StageRun::Tick(const TickKeys& keys) {
    PostTickKeys(last, keys);
    game->Update();
    h.clock.Advance(kFrameMs[(tick + phase) % 3]);
    ++tick;
    last = keys;
}

void StageRun::Restore(const Snapshot& s) {
    RestoreSnapshot(s, h.clock);
    tick = s.tick;
    last = s.last;
}

bool StageRun::Won() const {
    return StageActual::GoldCoin && StageActual::GoldCoin->Got == 1;
}

bool StageRun::Hit() const {
    return Player::Dying == 1;
}

float StageRun::TimeLeft() const {
    return StageActual::StageTimer ? StageActual::StageTimer->Value() : 0;
}

bool StageRun::Playing() const {
    return StageActual::Curtains->Action == TStageCurtins::FIN && Player::Entering == 0;
}
