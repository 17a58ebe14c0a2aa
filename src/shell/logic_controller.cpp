#include "shell/logic_controller.h"

#include "toolkit/anim.h"

std::unique_ptr<TFixedRateLogicController> logicController;

void TFixedRateLogicController::Init(int ticksPerSecond) {
    // A rate of 0 would divide by zero; no rate at all is no change.
    if (ticksPerSecond <= 0) return;
    TicksPerSecond = ticksPerSecond;
    SkipTicks = 1000 / ticksPerSecond;
}

void TFixedRateLogicController::Start() {
    NextGameTick = GameMilliSecs();
}

void TFixedRateLogicController::Update() {
    ++Loops;
    NextGameTick += SkipTicks;
}

void TFixedRateLogicController::Reset() {
    Loops = 0;
}

int TFixedRateLogicController::Ready() {
    return GameMilliSecs() > NextGameTick && Loops < MaxFrameSkip ? 1 : 0;
}
