// solver: finds the keys that win a stage, playing the real game headless, and writes them as a
// replay.
//
//   solver STAGE [--stage-file FILE] [--out FILE] [--beam N] [--move-ticks N] [--verbose]
//   solver STAGE --naive        how far "hold right, jump when blocked" gets
//
// The replay is checked by playing it again from a fresh start on each of the three phases of the
// 60 Hz frame clock before it is written.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "search.h"
#include "stage_run.h"

namespace {
struct Args {
    int stage = -1;
    std::string stageFile;
    std::string out;
    bool naive = false;
    SearchOptions search;
};

bool ParseArgs(int argc, char** argv, Args& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--stage-file" && hasValue) {
            a.stageFile = argv[++i];
        } else if (arg == "--out" && hasValue) {
            a.out = argv[++i];
        } else if (arg == "--beam" && hasValue) {
            a.search.beam = std::atoi(argv[++i]);
        } else if (arg == "--move-ticks" && hasValue) {
            a.search.moveTicks = std::atoi(argv[++i]);
        } else if (arg == "--verbose") {
            a.search.verbose = true;
        } else if (arg == "--naive") {
            a.naive = true;
        } else if (a.stage < 0 && !arg.empty() && arg[0] != '-') {
            a.stage = std::atoi(arg.c_str());
        } else {
            return false;
        }
    }
    return a.stage >= 0 && a.search.beam > 0 && a.search.moveTicks > 0;
}

// The whole file; false when it cannot be read.
bool Slurp(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return !in.bad();
}

// Plays the keys from a fresh start; true when the coin is taken on the last tick and no enemy
// touched the player before.
bool Verify(const Args& a, const std::vector<TickKeys>& keys, int phase, float& timeLeft) {
    StageRun run(a.stage, phase, a.stageFile);
    // Got gems leave the table once they have flown off; count those still waiting instead.
    auto waiting = [] {
        int n = 0;
        for (const auto& [key, gem] : StageActual::Gems) n += gem->Got == 0;
        return n;
    };
    int got = waiting();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        run.Tick(keys[i]);
        if (a.search.verbose && phase == 0) {
            // The route, for whoever designs the stage: each gem as it is taken.
            const int now = waiting();
            if (now != got)
                std::fprintf(stderr, "  tick %zu: gem taken at (%.0f, %.0f)\n", i + 1,
                             double(Player::X), double(Player::Y));
            got = now;
        }
        if (run.Hit()) return false;
        if (run.Won()) {
            timeLeft = run.TimeLeft();
            return i + 1 == keys.size();
        }
    }
    return false;
}

// "Hold right, jump when blocked": the strategy of a player who does not look.
int Naive(const Args& a) {
    StageRun run(a.stage, 0, a.stageFile);
    float lastX = -100;
    while (run.TimeLeft() > 0 && !run.Hit() && !run.Won() && run.tick < 60 * 40) {
        const bool blocked = run.InPlay() && Player::X == lastX && Player::YVelocity == 0;
        lastX = Player::X;
        run.Tick({false, true, blocked && !run.last.jump});
    }
    int got = 0;
    for (const auto& [key, gem] : StageActual::Gems) got += gem->Got;
    std::printf("stage %d naive player: %s after %.2f s, %d gems still on the field\n", a.stage,
                run.Won()   ? "won"
                : run.Hit() ? "killed"
                            : "out of time",
                run.tick / 60.0, int(StageActual::Gems.size()) - got);
    return 0;
}

int CountJumps(const std::vector<TickKeys>& keys) {
    int jumps = 0;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].jump && (i == 0 || !keys[i - 1].jump)) ++jumps;
    return jumps;
}
}  // namespace

int main(int argc, char** argv) {
    Args a;
    if (!ParseArgs(argc, argv, a)) {
        std::fprintf(stderr,
                     "usage: solver STAGE [--stage-file FILE] [--out FILE] [--beam N] "
                     "[--move-ticks N] [--verbose] [--naive]\n");
        return 2;
    }
    // An unreadable file must not quietly turn into the built-in stages.
    if (!a.stageFile.empty() && !Slurp(a.stageFile, a.stageFile)) {
        std::fprintf(stderr, "solver: could not read the stage file\n");
        return 2;
    }
    if (a.naive) return Naive(a);
    const auto started = std::chrono::steady_clock::now();
    SolveResult r;
    {
        StageRun run(a.stage, 0, a.stageFile);
        r = Solve(run, a.search);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!r.won) {
        std::printf("stage %d: no win found (%lld ticks searched in %.1f s)\n", a.stage,
                    r.ticksSearched, seconds);
        return 1;
    }
    for (int phase = 0; phase < 3; ++phase) {
        float left = 0;
        if (!Verify(a, r.keys, phase, left)) {
            std::printf("stage %d: the win does not replay on clock phase %d\n", a.stage, phase);
            return 1;
        }
    }
    const int jumps = CountJumps(r.keys);
    std::printf(
        "stage %d: won on tick %zu with %.2f s of the countdown left, %d jumps; %lld ticks "
        "searched in %.1f s\n",
        a.stage, r.keys.size(), r.timeLeft, jumps, r.ticksSearched, seconds);
    if (!a.out.empty()) {
        Replay replay = Replay::FromTicks(r.keys);
        replay.comments = {" Stage " + std::to_string(a.stage) +
                               ", found by tools/solver: " + std::to_string(r.keys.size()) +
                               " ticks, " + std::to_string(jumps) + " jumps.",
                           " Tick 1 is the pass after the ready screen took the action key."};
        std::ofstream out(a.out, std::ios::binary);
        out << FormatReplay(replay);
        out.close();
        if (!out) {
            std::fprintf(stderr, "solver: could not write %s\n", a.out.c_str());
            return 1;
        }
    }
    return 0;
}
