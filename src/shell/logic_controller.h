#pragma once

#include <memory>

#include "toolkit/anim.h"

// A fixed-rate tick controller with bounded frame skip, measured on the game clock. The main
// loop starts it once; the game itself runs one update per displayed frame.

class TFixedRateLogicController {
  public:
    int TicksPerSecond = 0;
    int SkipTicks = 0;
    int MaxFrameSkip = 10;
    GameTime NextGameTick = 0;
    int Loops = 0;

    virtual ~TFixedRateLogicController() = default;
    // Needs a positive rate; anything else leaves the controller unchanged.
    virtual void Init(int ticksPerSecond);
    // Starts counting ticks from now.
    virtual void Start();
    // After each logic tick.
    virtual void Update();
    // Once per frame, before the ticks.
    virtual void Reset();
    // 1 while a tick is due and fewer than MaxFrameSkip have run since Reset.
    virtual int Ready();
};

extern std::unique_ptr<TFixedRateLogicController> logicController;
