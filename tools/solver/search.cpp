#include "search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <tuple>

#include "shell/tuning.h"

namespace {
constexpr int kCols = 12;
constexpr int kRows = 10;
constexpr int kCells = kCols * kRows;
constexpr int kFar = 1000;

// A jump's reach from the tuning: the rows its height climbs (v^2 / 2g, 37.8 px: 2 rows) and the
// columns it crosses while rising (v / g ticks at the walking speed, 20.5 px: 1 column).
constexpr float kJumpHeight =
    tuning::player::JUMP_VELOCITY * tuning::player::JUMP_VELOCITY / (2 * tuning::player::GRAVITY);
constexpr int kJumpRows = int(kJumpHeight / 16);
constexpr int kJumpColumns =
    int(tuning::player::JUMP_VELOCITY / tuning::player::GRAVITY * tuning::player::WALK_SPEED / 16);

// Cell-to-cell step counts over the tile grid: walking, falling (through the bottom to the top),
// and jumping up as far as a jump reaches from a cell that stands on a tile. A rough map of the
// way, used only to rank states; every move itself is played by the game.
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
            if (!standing || !Free(c, r - 1)) continue;
            for (int dc = -kJumpColumns; dc <= kJumpColumns; ++dc)
                for (int up = 1; up <= kJumpRows && Free(c + dc, r - up); ++up) go(c + dc, r - up);
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
            // Past 63 gems the key stops telling them apart; the count still ranks the states.
            if (bit < 63) mask |= 1LL << bit;
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

// One search: the beam of states after every move and the moves that led to each.
class BeamSearch {
  public:
    BeamSearch(StageRun& run, const SearchOptions& o) : run_(run), o_(o) {}

    // From the tick after the ready screen: the opening takes no input and is played first.
    SolveResult Run() {
        SkipTheOpening();
        return RunFrom(run_.Save());
    }

    SolveResult RunFrom(const Snapshot& start) {
        run_.Restore(start);
        beam_.push_back({run_.Save(), 0, 0});
        double best = 1e300;
        int stale = 0;
        for (int step = 0; !beam_.empty() && !result_.won; ++step) {
            if (o_.patience > 0 && stale++ >= o_.patience) break;
            Children next;
            for (const Node& node : beam_)
                for (int m = 0; m < int(std::size(kMoves)) && !result_.won; ++m)
                    Expand(node, m, next);
            std::stable_sort(next.nodes.begin(), next.nodes.end(),
                             [](const Node& a, const Node& b) { return a.score < b.score; });
            if (int(next.nodes.size()) > o_.beam) next.nodes.resize(std::size_t(o_.beam));
            if (o_.verbose && step % 25 == 0 && !next.nodes.empty())
                Report(run_, next.nodes.front(), next.nodes.size(), result_);
            beam_ = std::move(next.nodes);
            if (!beam_.empty() && beam_.front().score < best) {
                best = beam_.front().score;
                stale = 0;
            }
        }
        return std::move(result_);
    }

  private:
    // The best state reached so far for every key, in the order first reached.
    struct Children {
        std::map<Key, std::size_t> seen;
        std::vector<Node> nodes;
    };

    // The curtains and the walk-in take no input.
    void SkipTheOpening() {
        while (!run_.InPlay() && run_.tick < 600) {
            run_.Tick({});
            prefix_.push_back({});
        }
    }

    // Plays move m from the node; keeps the state it leads to unless it died, ran out of time or
    // is no better than one already kept; ends the search on a win.
    void Expand(const Node& node, int m, Children& next) {
        run_.Restore(node.snap);
        if (kMoves[m].jump && Player::YVelocity != 0) return;
        for (int t = 0; t < o_.moveTicks; ++t) {
            TickKeys k = kMoves[m].keys;
            k.jump = kMoves[m].jump && t == 0;
            run_.Tick(k);
            ++result_.ticksSearched;
            if (run_.Won()) return Win(node, m, t + 1);
            if (run_.Hit() || run_.TimeLeft() < o_.minTimeLeft) return;
            if (o_.margin > 0 && run_.Near(o_.margin)) return;
        }
        int remaining = 0;
        long long mask = 0;
        const double score = Score(nav_, remaining, mask);
        const Key key = StateKey(mask);
        auto it = next.seen.find(key);
        if (it != next.seen.end() && next.nodes[it->second].score <= score) return;
        traces_.push_back({node.trace, m, o_.moveTicks});
        Node child{run_.Save(), int(traces_.size() - 1), score};
        if (it != next.seen.end()) {
            next.nodes[it->second] = std::move(child);
        } else {
            next.seen.emplace(key, next.nodes.size());
            next.nodes.push_back(std::move(child));
        }
    }

    void Win(const Node& node, int m, int ticks) {
        result_.won = true;
        result_.timeLeft = run_.TimeLeft();
        result_.keys = prefix_;
        auto rest = Unwind(traces_, node.trace, m, ticks);
        result_.keys.insert(result_.keys.end(), rest.begin(), rest.end());
    }

    StageRun& run_;
    const SearchOptions& o_;
    SolveResult result_;
    std::vector<TickKeys> prefix_;
    NavigationMap nav_;
    std::vector<Trace> traces_{{-1, 0, 0}};
    std::vector<Node> beam_;
};
}  // namespace

SolveResult Solve(StageRun& run, const SearchOptions& options) {
    return BeamSearch(run, options).Run();
}

SolveResult SolveFrom(StageRun& run, const Snapshot& start, const SearchOptions& options) {
    return BeamSearch(run, options).RunFrom(start);
}
