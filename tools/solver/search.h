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
    // Pixels kept clear between the player's body box and every deadly box on every tick.
    float margin = 0;
    // Give up after this many moves in a row that bring no state nearer the win; 0 never does.
    int patience = 0;
    bool verbose = false;
};

struct SolveResult {
    bool won = false;
    // The keys of every tick from tick 1 to the tick the coin is taken.
    std::vector<TickKeys> keys;
    long long ticksSearched = 0;
    float timeLeft = 0;
};

// Searches from the tick after the ready screen took the action key; the keys start there.
SolveResult Solve(StageRun& run, const SearchOptions& options);
// Searches from `start`; the keys start at its tick.
SolveResult SolveFrom(StageRun& run, const Snapshot& start, const SearchOptions& options);
