#include "search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <tuple>

namespace {
constexpr int kCols = 12;
constexpr int kRows = 10;
constexpr int kCells = kCols * kRows;
constexpr int kFar = 1000;

// Cell-to-cell step counts over the tile grid: walking, falling (through the bottom to the top),
// and jumping up to two rows from a cell that stands on a tile. A rough map of the way, used only
// to rank states; every move itself is played by the game.
class NavigationMap {
  public:
    NavigationMap() {
        for (const auto& [key, tile] : StageActual::Tiles) {
            if (!tile->HitBox) continue;
            const int c = int(std::floor(tile->X / 16)), r = tile->Y / 16;
            if (c >= 0 && c < kCols && r >= 0 && r < kRows) solid_[Index(c, r)] = true;
        }
        for (int from = 0; from < kCells; ++from) Walk(from);
    }
    int Distance(int fromCell, int toCell) const { return dist_[fromCell][toCell]; }
    bool Solid(int c, int r) const { return solid_[Index(Wrap(c), r)]; }
    static int Index(int c, int r) { return r * kCols + c; }
    static int Wrap(int c) { return (c % kCols + kCols) % kCols; }

  private:
    bool Free(int c, int r) const { return r >= 0 && r < kRows && !solid_[Index(Wrap(c), r)]; }
    void Walk(int from) {
        auto& d = dist_[from];
        d.fill(kFar);
        std::deque<int> open{from};
        d[from] = 0;
        while (!open.empty()) {
            const int at = open.front();
            open.pop_front();
            const int c = at % kCols, r = at / kCols;
            auto go = [&](int nc, int nr) {
                if (!Free(nc, nr)) return;
                const int n = Index(Wrap(nc), nr);
                if (d[n] > d[at] + 1) {
                    d[n] = d[at] + 1;
                    open.push_back(n);
                }
            };
            go(c - 1, r);
            go(c + 1, r);
            go(c, r == kRows - 1 ? 0 : r + 1);
            const bool standing = r + 1 < kRows && !Free(c, r + 1);
            if (standing && Free(c, r - 1)) {
                for (int dc = -1; dc <= 1; ++dc) {
                    go(c + dc, r - 1);
                    if (Free(c + dc, r - 1)) go(c + dc, r - 2);
                }
            }
        }
    }
    std::array<bool, kCells> solid_{};
    std::array<std::array<int, kCells>, kCells> dist_{};
};

int CellOf(float x, float y) {
    const int c = NavigationMap::Wrap(int(std::floor((x + 8) / 16)));
    const int r = std::clamp(int(std::floor((y + 8) / 16)), 0, kRows - 1);
    return NavigationMap::Index(c, r);
}

struct Trace {
    int parent;
    int move;
    int ticks;
};

struct Node {
    Snapshot snap;
    int trace;
    double score;
};

struct Move {
    TickKeys keys;
    bool jump;
};
const Move kMoves[] = {{{false, false, false}, false}, {{true, false, false}, false},
                       {{false, true, false}, false},  {{false, false, false}, true},
                       {{true, false, false}, true},   {{false, true, false}, true}};

// Where the coin will rest: the first solid cell below it in its column.
int CoinTarget(const NavigationMap& nav) {
    const TGoldCoin& coin = *StageActual::GoldCoin;
    const int c = NavigationMap::Wrap(int(coin.X) / 16);
    for (int r = std::max(0, int(coin.Y) / 16); r < kRows; ++r)
        if (nav.Solid(c, r)) return NavigationMap::Index(c, std::max(0, r - 1));
    return CellOf(coin.X, coin.Y);
}

// Lower is better: gems still to get, then the way to the nearest target.
double Score(const NavigationMap& nav, int& remaining, long long& mask) {
    remaining = 0;
    mask = 0;
    const int at = CellOf(Player::X, Player::Y);
    int best = kFar;
    double pixels = 0;
    int bit = 0;
    for (const auto& [key, gem] : StageActual::Gems) {
        if (gem->Got == 0) {
            ++remaining;
            mask |= 1LL << bit;
            const int d = nav.Distance(at, CellOf(gem->X, gem->Y));
            if (d < best) {
                best = d;
                pixels = std::hypot(gem->X - Player::X, gem->Y - Player::Y);
            }
        }
        ++bit;
    }
    if (remaining == 0 && StageActual::GoldCoin) {
        best = nav.Distance(at, CoinTarget(nav));
        pixels =
            std::hypot(StageActual::GoldCoin->X - Player::X, StageActual::GoldCoin->Y - Player::Y);
    }
    return remaining * 200.0 + best * 8.0 + pixels / 8.0;
}

using Key = std::tuple<long long, int, int, int, int>;

Key StateKey(long long mask) {
    const int vy = Player::YVelocity == 0 ? 0 : Player::YVelocity < 0 ? 1 : 2;
    return {mask, int(std::floor(Player::X / 2)), int(std::floor(Player::Y / 2)), vy,
            StageActual::CoinReleased};
}

std::vector<TickKeys> Unwind(const std::vector<Trace>& traces, int at, int partialMove,
                             int partialTicks) {
    std::vector<TickKeys> keys;
    auto push = [&](int move, int ticks) {
        std::vector<TickKeys> part;
        for (int t = 0; t < ticks; ++t) {
            TickKeys k = kMoves[move].keys;
            k.jump = kMoves[move].jump && t == 0;
            part.push_back(k);
        }
        keys.insert(keys.begin(), part.begin(), part.end());
    };
    if (partialMove >= 0) push(partialMove, partialTicks);
    for (; at > 0; at = traces[std::size_t(at)].parent)
        push(traces[std::size_t(at)].move, traces[std::size_t(at)].ticks);
    return keys;
}
// The best state so far: where the player is and which gems it still lacks.
void Report(StageRun& run, const Node& best, std::size_t states, const SolveResult& result) {
    run.Restore(best.snap);
    std::string left;
    for (const auto& [key, gem] : StageActual::Gems)
        if (gem->Got == 0)
            left += " (" + std::to_string(int(gem->X) / 16) + "," +
                    std::to_string(int(gem->Y) / 16) + ")";
    std::fprintf(
        stderr,
        "tick %d: %zu states, best %.1f at (%.1f, %.1f), gems left:%s; %lld ticks searched\n",
        run.tick, states, best.score, Player::X, Player::Y, left.c_str(), result.ticksSearched);
}
}  // namespace

SolveResult Solve(StageRun& run, const SearchOptions& o) {
    SolveResult result;
    std::vector<TickKeys> prefix;
    while (!run.Playing() && run.tick < 600) {
        run.Tick({});
        prefix.push_back({});
    }
    const NavigationMap nav;
    std::vector<Trace> traces{{-1, 0, 0}};
    std::vector<Node> beam;
    beam.push_back({run.Save(), 0, 0});
    for (int step = 0; !beam.empty(); ++step) {
        std::map<Key, std::size_t> seen;
        std::vector<Node> next;
        for (const Node& node : beam) {
            for (int m = 0; m < int(std::size(kMoves)); ++m) {
                run.Restore(node.snap);
                if (kMoves[m].jump && Player::YVelocity != 0) continue;
                bool dead = false;
                for (int t = 0; t < o.moveTicks && !dead; ++t) {
                    TickKeys k = kMoves[m].keys;
                    k.jump = kMoves[m].jump && t == 0;
                    run.Tick(k);
                    ++result.ticksSearched;
                    if (run.Won()) {
                        result.won = true;
                        result.timeLeft = run.TimeLeft();
                        result.keys = prefix;
                        auto rest = Unwind(traces, node.trace, m, t + 1);
                        result.keys.insert(result.keys.end(), rest.begin(), rest.end());
                        return result;
                    }
                    dead = run.Hit() || run.TimeLeft() < o.minTimeLeft;
                }
                if (dead) continue;
                int remaining = 0;
                long long mask = 0;
                const double score = Score(nav, remaining, mask);
                const Key key = StateKey(mask);
                auto it = seen.find(key);
                if (it != seen.end() && next[it->second].score <= score) continue;
                traces.push_back({node.trace, m, o.moveTicks});
                Node child{run.Save(), int(traces.size() - 1), score};
                if (it != seen.end()) {
                    next[it->second] = std::move(child);
                } else {
                    seen.emplace(key, next.size());
                    next.push_back(std::move(child));
                }
            }
        }
        std::stable_sort(next.begin(), next.end(),
                         [](const Node& a, const Node& b) { return a.score < b.score; });
        if (int(next.size()) > o.beam) next.resize(std::size_t(o.beam));
        if (o.verbose && step % 25 == 0 && !next.empty())
            Report(run, next.front(), next.size(), result);
        beam = std::move(next);
    }
    return result;
}
