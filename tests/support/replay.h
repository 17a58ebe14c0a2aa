#pragma once
// Replays: the keys a player holds, tick by tick, written as runs of ticks ("39 -", "12 R",
// "3 RJ"). L, R and J are the default bindings A, D and space; a jump press is a tick where J is
// held and was not held on the tick before.

#include <string>
#include <vector>

// The keys held during one tick.
struct TickKeys {
    bool left = false;
    bool right = false;
    bool jump = false;
    bool operator==(const TickKeys&) const = default;
};

struct ReplayRun {
    int ticks = 0;
    TickKeys keys;
    bool operator==(const ReplayRun&) const = default;
};

struct Replay {
    std::vector<ReplayRun> runs;
    // Comment lines, without their "#".
    std::vector<std::string> comments;

    // One entry per tick.
    std::vector<TickKeys> Ticks() const;
    static Replay FromTicks(const std::vector<TickKeys>& ticks);
    int TickCount() const;
};

// Reads a replay; on a malformed line returns false with the line number and reason in error.
bool ParseReplay(const std::string& text, Replay& out, std::string& error);
// The replay as text: the comments first, then one line per run.
std::string FormatReplay(const Replay& replay);
// "L", "RJ", "-": the key letters of a run.
std::string KeyLetters(const TickKeys& keys);

// Posts the events that make the key table hold `now` for the coming tick, after `before` was
// held for the last one: held keys are asserted again (a flush may have cleared them) without a
// new hit; only a jump key going down gives a hit.
void PostTickKeys(const TickKeys& before, const TickKeys& now);
