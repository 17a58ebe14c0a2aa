#pragma once
// A beam search over short moves (hold left, right or nothing for a few ticks, with or without a
// jump press on the first), playing every tick through the real game from saved states.

#include <vector>

#include "stage_run.h"

struct SearchOptions {
    // States kept after every move.
    int beam = 1500;
    // Ticks per move.
    int moveTicks = 4;
    // The stage must be won with at least this many seconds left on its countdown.
    float minTimeLeft = 5;
    bool verbose = false;
};

struct SolveResult {
    bool won = false;
    // The keys of every tick from tick 1 to the tick the coin is taken.
    std::vector<TickKeys> keys;
    long long ticksSearched = 0;
    float timeLeft = 0;
};

SolveResult Solve(StageRun& run, const SearchOptions& options);
