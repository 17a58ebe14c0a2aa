#pragma once
// One stage played headless through the real game, tick by tick, from the tick after the ready
// screen took the action key.

#include <string>

#include "snapshot.h"
#include "support/harness.h"
#include "support/replay.h"

class StageRun {
  public:
    // Starts the game on `stage` (of the stage file `stageFile` when it is not empty), with the
    // 16/17/17 ms pattern of a 60 Hz frame clock entered at `phase` (0..2).
    StageRun(int stage, int phase, const std::string& stageFile = "");

    // One pass of the main loop with these keys held.
    void Tick(const TickKeys& keys);
    Snapshot Save() { return TakeSnapshot(h.clock, tick, last); }
    void Restore(const Snapshot& s);

    // The coin is taken: the stage is won.
    bool Won() const;
    // An enemy has touched the player.
    bool Hit() const;
    // A deadly box comes within `margin` pixels of the player's body box.
    bool Near(float margin) const;
    // Seconds left on the countdown.
    float TimeLeft() const;
    // Whether the player has walked in and the curtains are open.
    bool InPlay() const;

    Harness h;
    int tick = 0;
    TickKeys last;
    int phase;
};
