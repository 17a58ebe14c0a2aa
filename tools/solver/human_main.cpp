// human: how often a person wins a stage at the first attempt, played by a simulated player with
// human limits (see human.h).
//
//   human STAGE [--runs N] [--seed N] [--reaction TICKS] [--decide TICKS] [--move-ticks TICKS]
//               [--margin PIXELS] [--hand TICKS] [--beam N] [--stage-file FILE] [--jobs N]
//               [--list] [--row]
//
// Prints the win rate with its 95% interval, the countdown the wins used and where the losses
// happened; --list also prints every run; --row prints the same as one row of a Markdown table. The
// same arguments always give the same figures, however many processes (--jobs) share the runs.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "human.h"

namespace {
struct Args {
    int stage = -1;
    int runs = 100;
    unsigned seed = 1;
    int jobs = 1;
    bool row = false;
    bool list = false;
    HumanOptions human;
};

bool ParseArgs(int argc, char** argv, Args& a) {
    std::string stageFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto number = [&] { return std::atoi(argv[++i]); };
        if (arg == "--runs" && hasValue) {
            a.runs = number();
        } else if (arg == "--seed" && hasValue) {
            a.seed = unsigned(number());
        } else if (arg == "--reaction" && hasValue) {
            a.human.reaction = number();
        } else if (arg == "--decide" && hasValue) {
            a.human.decide = number();
        } else if (arg == "--move-ticks" && hasValue) {
            a.human.moveTicks = number();
        } else if (arg == "--margin" && hasValue) {
            a.human.margin = float(std::atof(argv[++i]));
        } else if (arg == "--hand" && hasValue) {
            a.human.handError = number();
        } else if (arg == "--beam" && hasValue) {
            a.human.beam = number();
        } else if (arg == "--stage-file" && hasValue) {
            stageFile = argv[++i];
        } else if (arg == "--jobs" && hasValue) {
            a.jobs = number();
        } else if (arg == "--list") {
            a.list = true;
        } else if (arg == "--row") {
            a.row = true;
        } else if (a.stage < 0 && !arg.empty() && arg[0] != '-') {
            a.stage = std::atoi(arg.c_str());
        } else {
            return false;
        }
    }
    if (!stageFile.empty()) {
        std::ifstream in(stageFile, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        if (!in || s.str().empty()) return false;
        a.human.stageFile = s.str();
    }
    const HumanOptions& h = a.human;
    return a.stage >= 0 && a.runs > 0 && a.jobs > 0 && h.reaction >= 0 && h.decide > 0 &&
           h.moveTicks > 0 && h.margin >= 0 && h.handError >= 0 && h.beam > 0;
}

// Wilson's 95% interval of a rate of `wins` in `runs`, as fractions.
void Interval(int wins, int runs, double& low, double& high) {
    const double z = 1.96, n = runs, p = wins / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    low = std::max(0.0, centre - half);
    high = std::min(1.0, centre + half);
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

// Within this many ticks of the walk-in's end a loss counts as one at the opening (3 s).
constexpr int kOpeningTicks = 3 * 60;

HumanResult PlayOne(const Args& a, int i) {
    std::seed_seq seq{a.seed, unsigned(i)};
    unsigned seed = 0;
    seq.generate(&seed, &seed + 1);
    return PlayAsHuman(a.stage, i % 3, seed, a.human);
}

// One run as a line: index, won, countdown used, ticks, cell, plans, then the cause. The countdown
// goes in full: a summary of runs read back from other processes must equal one made in this one.
std::string Line(int i, const HumanResult& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%d %d %.9g %d %d %d %d ", i, int(r.won),
                  double(r.countdownUsed), r.ticksPlayed, r.lossColumn, r.lossRow, r.plans);
    return text + r.lossCause + "\n";
}

bool FromLine(const std::string& line, int& i, HumanResult& r) {
    std::istringstream in(line);
    int won = 0;
    if (!(in >> i >> won >> r.countdownUsed >> r.ticksPlayed >> r.lossColumn >> r.lossRow >>
          r.plans))
        return false;
    r.won = won != 0;
    in.get();
    std::getline(in, r.lossCause);
    return true;
}

// Runs job, job + jobs, ... in a child process; their lines come back through a pipe.
int StartJob(const Args& a, int job, pid_t& child) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    child = fork();
    if (child == 0) {
        close(ends[0]);
        for (int i = job; i < a.runs; i += a.jobs) {
            const std::string line = Line(i, PlayOne(a, i));
            if (write(ends[1], line.data(), line.size()) != ssize_t(line.size())) _exit(1);
        }
        _exit(0);
    }
    close(ends[1]);
    return child < 0 ? -1 : ends[0];
}

// Every run's result by index; false when a job failed.
bool PlayRuns(const Args& a, std::vector<HumanResult>& results) {
    results.assign(std::size_t(a.runs), {});
    if (a.jobs == 1) {
        for (int i = 0; i < a.runs; ++i) results[std::size_t(i)] = PlayOne(a, i);
        return true;
    }
    std::vector<std::pair<int, pid_t>> jobs;
    for (int j = 0; j < a.jobs && j < a.runs; ++j) {
        pid_t child = -1;
        const int fd = StartJob(a, j, child);
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
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            int i = 0;
            HumanResult r;
            if (!FromLine(line, i, r) || i < 0 || i >= a.runs) return false;
            results[std::size_t(i)] = r;
            ++got;
        }
    }
    return got == a.runs;
}

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

void Print(const Args& a, const Summary& s) {
    double low = 0, high = 0;
    Interval(s.wins, a.runs, low, high);
    const double rate = 100.0 * s.wins / a.runs;
    if (a.row) {
        std::printf("| %d | %d | %.0f%% (%.0f-%.0f%%) | %s | %d | %s |\n", a.stage, a.runs, rate,
                    100 * low, 100 * high, Used(s).c_str(), s.early,
                    Commonest(s.causes, 3).c_str());
        return;
    }
    std::printf(
        "stage %d: %d runs (seed %u), %d won at the first attempt: %.0f%% (95%% interval "
        "%.0f-%.0f%%)\n",
        a.stage, a.runs, a.seed, s.wins, rate, 100 * low, 100 * high);
    std::printf("countdown used by the wins: %s\n", Used(s).c_str());
    std::printf("lost within 3 s of the walk-in's end: %d\n", s.early);
    std::printf("plans made per run: %.1f\n", double(s.plans) / a.runs);
    std::printf("losses by cause: %s\n", Commonest(s.causes, 100).c_str());
    std::printf("losses by place: %s\n", Commonest(s.places, 100).c_str());
}
}  // namespace

int main(int argc, char** argv) {
    Args a;
    if (!ParseArgs(argc, argv, a)) {
        std::fprintf(stderr,
                     "usage: human STAGE [--runs N] [--seed N] [--reaction TICKS] [--decide "
                     "TICKS] [--move-ticks TICKS] [--margin PIXELS] [--hand TICKS] [--beam N] "
                     "[--stage-file FILE] [--jobs N] [--list] [--row]\n");
        return 2;
    }
    std::vector<HumanResult> results;
    if (!PlayRuns(a, results)) {
        std::fprintf(stderr, "human: a job failed\n");
        return 1;
    }
    // Every run: index, won, countdown used, ticks after the walk-in, cell, plans, cause.
    for (std::size_t i = 0; a.list && i < results.size(); ++i)
        std::fputs(Line(int(i), results[i]).c_str(), stdout);
    Print(a, Summarise(results));
    return 0;
}
