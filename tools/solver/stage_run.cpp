#include "stage_run.h"

#include "engine/input.h"
#include "top/game.h"

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
    // A press posted on another branch and never read (the curtains were moving, say) must not
    // jump on this one.
    FlushKeys();
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

bool StageRun::Near(float margin) const {
    THitBox body = Player::BodyHitBox;
    body.Update(Player::X, Player::Y);
    body.Padding(body.padLeft - margin, body.padTop - margin, body.padRight + margin,
                 body.padBottom + margin);
    auto near = [&body](TEnemy* e) { return e && e->Deadly() && e->HitBox->Overlaps(body); };
    for (const auto& e : StageActual::Enemies)
        if (near(e.get())) return true;
    return near(StageActual::ChaseSkull.get());
}

float StageRun::TimeLeft() const {
    return StageActual::StageTimer ? StageActual::StageTimer->Value() : 0;
}

bool StageRun::InPlay() const {
    return StageActual::Curtains->Action == TStageCurtins::FIN && Player::Entering == 0;
}
