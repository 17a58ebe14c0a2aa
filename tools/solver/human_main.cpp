// human: how often a person wins a stage at the first attempt, or the whole game, played by a
// simulated player with human limits (see human.h).
//
//   human STAGE [options]     first attempts at one stage
//   human --game [options]    whole games: the default stages in order with the default lives
//
// options: [--preset quick|typical|slow] [--runs N] [--seed N] [--reaction TICKS] [--decide TICKS]
//          [--move-ticks TICKS] [--margin PIXELS] [--hand TICKS] [--beam N] [--stage-file FILE]
//          [--jobs N] [--list] [--row]
//
// Run i of N is played on seed (--seed) + i, so seeds 101-200 are "--seed 101 --runs 100". Prints
// the win rate with its 95% interval, the countdown the wins used and where the losses happened
// (for games: the share that reached the ending and the lives left there); --list also prints
// every run; --row prints the same as one row of a Markdown table. The same arguments always give
// the same figures, however many processes (--jobs) share the runs.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "human.h"
#include "shell/settings.h"

namespace {
struct Args {
    int stage = -1;
    bool game = false;
    int runs = 100;
    unsigned seed = 1;
    int jobs = 1;
    bool row = false;
    bool list = false;
    HumanOptions human;
};

bool UsePreset(const std::string& name, HumanOptions& h) {
    const HumanPreset* p = FindHumanPreset(name);
    if (!p) return false;
    h.reaction = p->reaction;
    h.handError = p->handError;
    return true;
}

// The preset these options match, or "custom".
std::string PresetName(const HumanOptions& h) {
    for (const HumanPreset& p : kHumanPresets)
        if (h.reaction == p.reaction && h.handError == p.handError) return p.name;
    return "custom";
}

bool ReadStageFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return in && !bytes.empty();
}

// One option and its value; false for an unknown one. Options apply in order, so a --preset
// followed by --hand keeps the preset's lateness and takes the other hand.
bool ParseOption(int argc, char** argv, int& i, Args& a, std::string& stageFile) {
    const std::string arg = argv[i];
    bool* flag = arg == "--game"   ? &a.game
                 : arg == "--list" ? &a.list
                 : arg == "--row"  ? &a.row
                                   : nullptr;
    if (flag) {
        *flag = true;
        return true;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--preset") return UsePreset(value, a.human);
    if (arg == "--margin") {
        a.human.margin = float(std::atof(value));
    } else if (arg == "--stage-file") {
        stageFile = value;
    } else if (arg == "--seed") {
        a.seed = unsigned(std::atoi(value));
    } else {
        const std::map<std::string, int*> numbers = {{"--runs", &a.runs},
                                                     {"--reaction", &a.human.reaction},
                                                     {"--decide", &a.human.decide},
                                                     {"--move-ticks", &a.human.moveTicks},
                                                     {"--hand", &a.human.handError},
                                                     {"--beam", &a.human.beam},
                                                     {"--jobs", &a.jobs}};
        const auto it = numbers.find(arg);
        if (it == numbers.end()) return false;
        *it->second = std::atoi(value);
    }
    return true;
}

bool ParseArgs(int argc, char** argv, Args& a) {
    std::string stageFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (a.stage < 0 && !arg.empty() && arg[0] != '-') {
            a.stage = std::atoi(arg.c_str());
        } else if (!ParseOption(argc, argv, i, a, stageFile)) {
            return false;
        }
    }
    if (!stageFile.empty() && !ReadStageFile(stageFile, a.human.stageFile)) return false;
    const HumanOptions& h = a.human;
    return (a.stage >= 0) != a.game && a.runs > 0 && a.jobs > 0 && h.reaction >= 0 &&
           h.decide > 0 && h.moveTicks > 0 && h.margin >= 0 && h.handError >= 0 && h.beam > 0;
}

// Wilson's 95% interval of a rate of `wins` in `runs`, as fractions.
void Interval(int wins, int runs, double& low, double& high) {
    const double z = 1.96, n = runs, p = wins / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    low = std::max(0.0, centre - half);
    high = std::min(1.0, centre + half);
}

// "87% (79-92%)": a rate with its interval.
std::string Rate(int wins, int runs) {
    double low = 0, high = 0;
    Interval(wins, runs, low, high);
    char text[48];
    std::snprintf(text, sizeof text, "%.0f%% (%.0f-%.0f%%)", 100.0 * wins / runs, 100 * low,
                  100 * high);
    return text;
}

// Within this many ticks of the walk-in's end a loss counts as one at the opening (3 s).
constexpr int kOpeningTicks = 3 * 60;

// A run's own seed: the hand's errors and the phase of the frame clock come from it.
unsigned RunSeed(const Args& a, int i) {
    return a.seed + unsigned(i);
}

HumanResult PlayOne(const Args& a, int i) {
    std::seed_seq seq{RunSeed(a, i)};
    unsigned hand = 0;
    seq.generate(&hand, &hand + 1);
    return PlayAsHuman(a.stage, int(RunSeed(a, i) % 3), hand, a.human);
}

// One run as a line: index, won, countdown used, ticks, cell, plans, then the cause. The countdown
// goes in full: a summary of runs read back from other processes must equal one made in this one.
std::string Line(int i, const HumanResult& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%d %d %.9g %d %d %d %d ", i, int(r.won),
                  double(r.countdownUsed), r.ticksPlayed, r.lossColumn, r.lossRow, r.plans);
    return text + r.lossCause + "\n";
}

bool FromLine(const std::string& line, HumanResult& r) {
    std::istringstream in(line);
    int i = 0, won = 0;
    if (!(in >> i >> won >> r.countdownUsed >> r.ticksPlayed >> r.lossColumn >> r.lossRow >>
          r.plans))
        return false;
    r.won = won != 0;
    in.get();
    std::getline(in, r.lossCause);
    return true;
}

// Runs job, job + jobs, ... in a child process; their lines come back through a pipe.
using Work = std::function<std::string(int)>;
int StartJob(const Args& a, const Work& work, int job, pid_t& child) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    child = fork();
    if (child == 0) {
        close(ends[0]);
        for (int i = job; i < a.runs; i += a.jobs) {
            const std::string line = work(i);
            if (write(ends[1], line.data(), line.size()) != ssize_t(line.size())) _exit(1);
        }
        _exit(0);
    }
    close(ends[1]);
    return child < 0 ? -1 : ends[0];
}

// Every run's line by index (each line starts with its index); false when a job failed.
bool RunAll(const Args& a, const Work& work, std::vector<std::string>& lines) {
    lines.assign(std::size_t(a.runs), "");
    if (a.jobs == 1) {
        for (int i = 0; i < a.runs; ++i) lines[std::size_t(i)] = work(i);
        return true;
    }
    std::vector<std::pair<int, pid_t>> jobs;
    for (int j = 0; j < a.jobs && j < a.runs; ++j) {
        pid_t child = -1;
        const int fd = StartJob(a, work, j, child);
        if (fd < 0) return false;
        jobs.emplace_back(fd, child);
    }
    int got = 0;
    for (auto [fd, child] : jobs) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(n));
        close(fd);
        int status = 0;
        waitpid(child, &status, 0);
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            const int i = std::atoi(line.c_str());
            if (i < 0 || i >= a.runs || !lines[std::size_t(i)].empty()) return false;
            lines[std::size_t(i)] = line + "\n";
            ++got;
        }
    }
    return got == a.runs;
}

struct Summary {
    int wins = 0;
    int early = 0;
    int plans = 0;
    std::vector<float> used;
    // Losses by cause, and by cause and cell.
    std::map<std::string, int> causes;
    std::map<std::string, int> places;
};

Summary Summarise(const std::vector<HumanResult>& results) {
    Summary s;
    for (const HumanResult& r : results) {
        s.plans += r.plans;
        if (r.won) {
            ++s.wins;
            s.used.push_back(r.countdownUsed);
            continue;
        }
        s.early += r.ticksPlayed < kOpeningTicks;
        ++s.causes[r.lossCause];
        ++s.places[r.lossCause + " at (" + std::to_string(r.lossColumn) + "," +
                   std::to_string(r.lossRow) + ")"];
    }
    std::sort(s.used.begin(), s.used.end());
    return s;
}

// The commonest entries first, as "name (count)", at most `most` of them.
std::string Commonest(const std::map<std::string, int>& counts, std::size_t most) {
    std::vector<std::pair<std::string, int>> v(counts.begin(), counts.end());
    std::stable_sort(v.begin(), v.end(),
                     [](const auto& x, const auto& y) { return x.second > y.second; });
    std::string out;
    for (std::size_t i = 0; i < v.size() && i < most; ++i)
        out += (i ? ", " : "") + v[i].first + " (" + std::to_string(v[i].second) + ")";
    return out.empty() ? "-" : out;
}

std::string Used(const Summary& s) {
    if (s.used.empty()) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f-%.1f s (median %.1f)", double(s.used.front()),
                  double(s.used.back()), double(s.used[s.used.size() / 2]));
    return text;
}

std::string Seeds(const Args& a) {
    return "seeds " + std::to_string(a.seed) + "-" + std::to_string(RunSeed(a, a.runs - 1));
}

void Print(const Args& a, const Summary& s) {
    const std::string preset = PresetName(a.human);
    if (a.row) {
        std::printf("| %s | %d | %d | %s | %s | %d | %s |\n", preset.c_str(), a.stage, a.runs,
                    Rate(s.wins, a.runs).c_str(), Used(s).c_str(), s.early,
                    Commonest(s.causes, 3).c_str());
        return;
    }
    std::printf("stage %d, %s: %d runs (%s), %d won at the first attempt: %s\n", a.stage,
                preset.c_str(), a.runs, Seeds(a).c_str(), s.wins, Rate(s.wins, a.runs).c_str());
    std::printf("countdown used by the wins: %s\n", Used(s).c_str());
    std::printf("lost within 3 s of the walk-in's end: %d\n", s.early);
    std::printf("plans made per run: %.1f\n", double(s.plans) / a.runs);
    std::printf("losses by cause: %s\n", Commonest(s.causes, 100).c_str());
    std::printf("losses by place: %s\n", Commonest(s.places, 100).c_str());
}

int StageMode(const Args& a) {
    std::vector<std::string> lines;
    if (!RunAll(
            a, [&a](int i) { return Line(i, PlayOne(a, i)); }, lines)) {
        std::fprintf(stderr, "human: a job failed\n");
        return 1;
    }
    std::vector<HumanResult> results(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!FromLine(lines[i], results[i])) {
            std::fprintf(stderr, "human: a job failed\n");
            return 1;
        }
        if (a.list) std::fputs(lines[i].c_str(), stdout);
    }
    Print(a, Summarise(results));
    return 0;
}

// The stages a new game plays, from the settings' defaults: "Stage Start" up to the stage before
// "Stage Final", where the ending is shown instead.
void DefaultGame(int& first, int& last) {
    DefaultConfig();
    first = cfgStageStart;
    last = cfgStageFinal - 1;
    ResetConfig();
}

// One game as a line: index, reached the ending, stages won, lives at the start and at the end,
// losses within 3 s of a walk-in, then the stage of every lost life ("-" for none).
std::string GameLine(int i, const HumanGame& g) {
    std::string lost;
    int early = 0;
    for (const HumanResult& r : g.attempts) {
        if (r.won) continue;
        early += r.ticksPlayed < kOpeningTicks;
        lost += (lost.empty() ? "" : ",") + std::to_string(r.stage);
    }
    const int lives = g.attempts.empty() ? 0 : g.attempts.front().lives;
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d ", i, int(g.reachedEnding), g.stagesWon,
                  lives, g.livesLeft, early);
    return text + (lost.empty() ? "-" : lost) + "\n";
}

struct GameSummary {
    int games = 0, reached = 0, early = 0, lostLives = 0, startLives = 0;
    // Games by the lives left at the ending, and by the stage the game was over on.
    std::map<int, int> livesLeft;
    std::map<int, int> overOn;
    // Lives lost on each stage.
    std::map<int, int> lostOn;
};

bool AddGameLine(const std::string& line, GameSummary& s) {
    std::istringstream in(line);
    int i = 0, reached = 0, won = 0, lives = 0, left = 0, early = 0;
    std::string lost;
    if (!(in >> i >> reached >> won >> lives >> left >> early >> lost)) return false;
    ++s.games;
    s.startLives = lives;
    s.early += early;
    if (reached) {
        ++s.reached;
        ++s.livesLeft[left];
    } else {
        ++s.overOn[won];
    }
    std::istringstream stages(lost == "-" ? "" : lost);
    for (std::string stage; std::getline(stages, stage, ',');) {
        ++s.lostOn[std::atoi(stage.c_str())];
        ++s.lostLives;
    }
    return true;
}

// "3: 40, 2: 30, 1: 10, 0: 7" over the keys from `high` down to `low`.
std::string Counts(const std::map<int, int>& counts, int high, int low) {
    std::string out;
    for (int k = high; k >= low; --k) {
        const auto it = counts.find(k);
        out += (out.empty() ? "" : ", ") + std::to_string(k) + ": " +
               std::to_string(it == counts.end() ? 0 : it->second);
    }
    return out;
}

void PrintGames(const Args& a, const GameSummary& s, int first, int last) {
    const std::string preset = PresetName(a.human);
    const std::string left = Counts(s.livesLeft, s.startLives, 0);
    const std::string over = Counts(s.overOn, last, first);
    if (a.row) {
        std::printf("| %s | %d | %s | %s | %s |\n", preset.c_str(), s.games,
                    Rate(s.reached, s.games).c_str(), left.c_str(), over.c_str());
        return;
    }
    std::printf("game (stages %d-%d, %d lives), %s: %d games (%s), %d reached the ending: %s\n",
                first, last, s.startLives, preset.c_str(), s.games, Seeds(a).c_str(), s.reached,
                Rate(s.reached, s.games).c_str());
    std::printf("lives left at the ending: %s\n", left.c_str());
    std::printf("game over on stage: %s\n", over.c_str());
    std::printf("lives lost on stage: %s\n", Counts(s.lostOn, last, first).c_str());
    std::printf("lives lost within 3 s of a walk-in's end: %d of %d\n", s.early, s.lostLives);
}

int GameMode(const Args& a) {
    int first = 0, last = 0;
    DefaultGame(first, last);
    auto work = [&](int i) {
        return GameLine(i, PlayGameAsHuman(first, last, RunSeed(a, i), a.human));
    };
    std::vector<std::string> lines;
    GameSummary s;
    bool ok = RunAll(a, work, lines);
    for (std::size_t i = 0; ok && i < lines.size(); ++i) {
        ok = AddGameLine(lines[i], s);
        if (a.list) std::fputs(lines[i].c_str(), stdout);
    }
    if (!ok) {
        std::fprintf(stderr, "human: a job failed\n");
        return 1;
    }
    PrintGames(a, s, first, last);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    Args a;
    if (!ParseArgs(argc, argv, a)) {
        std::fprintf(stderr,
                     "usage: human STAGE|--game [--preset quick|typical|slow] [--runs N] "
                     "[--seed N] [--reaction TICKS] [--decide TICKS] [--move-ticks TICKS] "
                     "[--margin PIXELS] [--hand TICKS] [--beam N] [--stage-file FILE] [--jobs N] "
                     "[--list] [--row]\n");
        return 2;
    }
    return a.game ? GameMode(a) : StageMode(a);
}
