#pragma once
// A simulated player with human limits, playing a stage through the real game tick by tick: it
// sees the game late, thinks only now and then, plans in short moves with a safety margin and
// presses keys a little off its plan. Used to judge how hard a stage is for a person.

#include <string>
#include <vector>

struct HumanOptions {
    // Ticks between the game and what the player sees of it (200 ms).
    int reaction = 12;
    // Ticks between two decisions.
    int decide = 6;
    // Ticks per planned move.
    int moveTicks = 8;
    // Pixels the plan keeps between the body box and every deadly box.
    float margin = 2;
    // Each key press or release lands up to this many ticks before or after its plan.
    int handError = 2;
    // States the planner keeps after every move: how hard it thinks.
    int beam = 100;
    // The stage file to play instead of the built-in one (its bytes); empty for the built-in.
    std::string stageFile;
};

struct HumanResult {
    int stage = 0;
    bool won = false;
    // Seconds of the countdown used when the coin was taken.
    float countdownUsed = 0;
    // Ticks from the end of the walk-in to the win or the loss.
    int ticksPlayed = 0;
    // Where a loss happened: the player's cell and what touched him ("crab", "floor spikes",
    // "skull"; "time" when nothing did before the run was given up).
    int lossColumn = -1;
    int lossRow = -1;
    std::string lossCause;
    // Plans made during the run.
    int plans = 0;
    // Lives the game gave the player when the stage began (the settings' default).
    int lives = 0;
};

// Three players of plausible skill: how late each sees the game and how far its keys land off the
// plan. Everything else is as in HumanOptions.
struct HumanPreset {
    const char* name;
    // Ticks of lateness (60 a second).
    int reaction;
    // Ticks a key press or release may land off its plan.
    int handError;
};
inline constexpr HumanPreset kHumanPresets[] = {
    {"quick", 9, 1},     // 150 ms
    {"typical", 12, 2},  // 200 ms
    {"slow", 18, 3},     // 300 ms
};

// The preset of that name, or nullptr.
const HumanPreset* FindHumanPreset(const std::string& name);

// A whole game: the stages in order, each lost life replaying the stage, until the ending or the
// game over.
struct HumanGame {
    // Stages won: the number of stages played when the ending was reached.
    int stagesWon = 0;
    bool reachedEnding = false;
    // Lives left when the game ended (-1 after the game over).
    int livesLeft = 0;
    // Every attempt in order.
    std::vector<HumanResult> attempts;
};

// One first attempt at `stage`, entering the 60 Hz frame pattern at `phase` (0..2); the hand's
// errors come from `seed`, so the same arguments give the same run.
HumanResult PlayAsHuman(int stage, int phase, unsigned seed, const HumanOptions& options);

// One game over stages first..last, with the lives the game's settings give a new game. Each
// attempt is a fresh start of its stage, as the game's reload after a lost life is; attempt k
// enters the frame pattern at phase (seed + k) % 3 and takes its hand's errors from (seed, k).
HumanGame PlayGameAsHuman(int first, int last, unsigned seed, const HumanOptions& options);
