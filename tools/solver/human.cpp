#include "human.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

#include "actors/bat.h"
#include "actors/bones.h"
#include "actors/crab.h"
#include "actors/death_block.h"
#include "actors/patrol_enemy.h"
#include "actors/spider.h"
#include "search.h"
#include "stage_run.h"

namespace {
// A plan must win before the skull comes out; the planner gives a branch up at this many seconds.
constexpr float kPlanTimeLeft = 0.02f;
// A plan that has run out is still followed this many ticks for the win it was about to have.
constexpr int kPlanSlack = 8;
// A run nobody has won or lost by then is given up (60 s).
constexpr int kGiveUpTicks = 60 * 60;
// The planner gives up after this many moves that bring it no nearer the win (about 3 s): long
// enough to wait for an enemy's round.
constexpr int kPatience = 24;
enum KeyIndex { kLeft, kRight, kJump, kKeys };

bool& KeyOf(TickKeys& k, int i) {
    return i == kLeft ? k.left : i == kRight ? k.right : k.jump;
}

// What the hand does with a plan: every press and release lands a random few ticks off the tick
// it was meant for, never before the decision that made it and never out of order.
class Hand {
  public:
    Hand(unsigned seed, int error) : rng_(seed), error_(error) {}

    // From tick `from` on, `plan` replaces what was meant; `before` was meant for the tick before.
    void Follow(int from, const std::vector<TickKeys>& plan, TickKeys before) {
        std::erase_if(pending_, [from](const Change& c) { return c.meant >= from; });
        int last[kKeys];
        for (int k = 0; k < kKeys; ++k) last[k] = lastAt_[k];
        for (const Change& c : pending_) last[c.key] = std::max(last[c.key], c.at);
        std::uniform_int_distribution<int> off(-error_, error_);
        for (std::size_t i = 0; i <= plan.size(); ++i) {
            // After its last tick the plan lets go of everything.
            TickKeys now = i < plan.size() ? plan[i] : TickKeys{};
            const int meant = from + int(i);
            for (int k = 0; k < kKeys; ++k) {
                if (KeyOf(now, k) == KeyOf(before, k)) continue;
                const int at = std::max({meant + off(rng_), from, last[k] + 1});
                pending_.push_back({meant, at, k, KeyOf(now, k)});
                last[k] = at;
            }
            before = now;
        }
    }

    // The keys held on tick t; asked for every tick in order.
    TickKeys Keys(int t) {
        for (const Change& c : pending_) {
            if (c.at > t) continue;
            KeyOf(held_, c.key) = c.down;
            lastAt_[c.key] = std::max(lastAt_[c.key], c.at);
        }
        std::erase_if(pending_, [t](const Change& c) { return c.at <= t; });
        return held_;
    }

  private:
    struct Change {
        int meant;
        int at;
        int key;
        bool down;
    };
    std::vector<Change> pending_;
    TickKeys held_;
    int lastAt_[kKeys] = {-1000, -1000, -1000};
    std::mt19937 rng_;
    int error_;
};

const char* BlockName(int kind) {
    switch (kind) {
        case 12:
            return "mine";
        case 13:
            return "floor spikes";
        case 14:
            return "ceiling spikes";
        case 15:
            return "left spikes";
        case 16:
            return "right spikes";
        default:
            return "block";
    }
}

const char* EnemyName(const TEnemy& e) {
    if (auto* block = dynamic_cast<const TDeathBlock*>(&e)) return BlockName(block->Frame);
    if (dynamic_cast<const TBat*>(&e)) return "bat";
    if (dynamic_cast<const TBones*>(&e)) return "bones";
    if (dynamic_cast<const TCrab*>(&e)) return "crab";
    if (dynamic_cast<const TSpider*>(&e)) return "spider";
    return "enemy";
}

// What touched the player on the tick he was hit. The enemies may already have gone into their
// clouds at the end of that tick, so any enemy whose box touches him counts.
std::string Culprit() {
    THitBox& body = Player::BodyHitBox;
    for (const auto& e : StageActual::Enemies)
        if (e->HitBox && e->HitBox->Overlaps(body)) return EnemyName(*e);
    const TEnemy* skull = StageActual::ChaseSkull.get();
    return skull && skull->HitBox && skull->HitBox->Overlaps(body) ? "skull" : "unknown";
}

// What the player means to do: the keys of every tick from `from` on, up to the win.
struct Plan {
    int from = 0;
    std::vector<TickKeys> keys;
    // The margin it keeps; a plan made when no safe way was left is judged without one.
    float margin = 0;

    int End() const { return from + int(keys.size()); }
    TickKeys At(int tick) const {
        const int i = tick - from;
        return i >= 0 && i < int(keys.size()) ? keys[std::size_t(i)] : TickKeys{};
    }
};

class HumanPlayer {
  public:
    HumanPlayer(int stage, int phase, unsigned seed, const HumanOptions& o)
        : run_(stage, phase, o.stageFile),
          o_(o),
          hand_(seed, o.handError),
          stage_(stage),
          lives_(Player::Lives) {}

    HumanResult Play() {
        seen_.push_back(run_.Save());
        while (!run_.Won() && !run_.Hit() && run_.tick < kGiveUpTicks) {
            if (run_.tick % o_.decide == 0) Decide();
            const TickKeys keys = hand_.Keys(run_.tick);
            meant_.push_back(plan_.At(run_.tick));
            run_.Tick(keys);
            if (walkedIn_ < 0 && run_.InPlay()) walkedIn_ = run_.tick;
            seen_.push_back(run_.Save());
            if (int(seen_.size()) > o_.reaction + 1) seen_.pop_front();
        }
        return Result();
    }

  private:
    // What the player sees is reaction ticks old; he brings it up to now in his head with the
    // keys he meant to press since (not knowing where his hand slipped), then keeps his plan if
    // it still wins from there or makes a new one.
    void Decide() {
        const Snapshot now = run_.Save();
        run_.Restore(seen_.front());
        for (int t = seen_.front().tick; t < now.tick; ++t) run_.Tick(meant_[std::size_t(t)]);
        const Snapshot predicted = run_.Save();
        if (!Holds(plan_)) PlanAgain(predicted);
        run_.Restore(now);
    }

    // Plays the plan from the state in the game; true when it still wins, keeping its margin.
    bool Holds(const Plan& plan) {
        const int end = plan.End() + kPlanSlack;
        while (run_.tick < end) {
            run_.Tick(plan.At(run_.tick));
            if (run_.Won()) return true;
            if (run_.Hit() || run_.Near(plan.margin)) return false;
        }
        return false;
    }

    void PlanAgain(const Snapshot& from) {
        SearchOptions s;
        s.beam = o_.beam;
        s.moveTicks = o_.moveTicks;
        s.minTimeLeft = kPlanTimeLeft;
        s.margin = o_.margin;
        s.patience = kPatience;
        SolveResult r = SolveFrom(run_, from, s);
        // With no safe way left, any way at all.
        if (!r.won && s.margin > 0) {
            s.margin = 0;
            r = SolveFrom(run_, from, s);
        }
        ++plans_;
        // With no way at all he carries on as he meant to.
        if (!r.won) return;
        Plan p;
        p.from = from.tick;
        p.keys = std::move(r.keys);
        p.margin = s.margin;
        Follow(std::move(p));
    }

    void Follow(Plan p) {
        const TickKeys before = plan_.At(p.from - 1);
        plan_ = std::move(p);
        hand_.Follow(plan_.from, plan_.keys, before);
    }

    HumanResult Result() const {
        HumanResult r;
        r.won = run_.Won();
        r.plans = plans_;
        r.stage = stage_;
        r.lives = lives_;
        r.ticksPlayed = walkedIn_ < 0 ? 0 : run_.tick - walkedIn_;
        r.countdownUsed = float(StageActual::StageTime) - run_.TimeLeft();
        if (r.won) return r;
        r.lossColumn = ((int(std::floor((Player::X + 8) / 16)) % 12) + 12) % 12;
        r.lossRow = std::clamp(int(std::floor((Player::Y + 8) / 16)), 0, 9);
        r.lossCause = run_.Hit() ? Culprit() : "time";
        return r;
    }

    StageRun run_;
    HumanOptions o_;
    Hand hand_;
    // The true states of the last reaction + 1 ticks; the front is what the player sees.
    std::deque<Snapshot> seen_;
    // What the player meant to hold on every tick so far.
    std::vector<TickKeys> meant_;
    Plan plan_;
    int plans_ = 0;
    int walkedIn_ = -1;
    int stage_;
    int lives_;
};
}  // namespace

HumanResult PlayAsHuman(int stage, int phase, unsigned seed, const HumanOptions& options) {
    return HumanPlayer(stage, phase, seed, options).Play();
}

const HumanPreset* FindHumanPreset(const std::string& name) {
    for (const HumanPreset& p : kHumanPresets)
        if (name == p.name) return &p;
    return nullptr;
}

// The game's own rule: a death costs a life, and the game is over when the lives drop below 0.
HumanGame PlayGameAsHuman(int first, int last, unsigned seed, const HumanOptions& options) {
    HumanGame game;
    int stage = first;
    for (unsigned k = 0; stage <= last; ++k) {
        std::seed_seq seq{seed, k};
        unsigned hand = 0;
        seq.generate(&hand, &hand + 1);
        const HumanResult r = PlayAsHuman(stage, int((seed + k) % 3), hand, options);
        if (k == 0) game.livesLeft = r.lives;
        game.attempts.push_back(r);
        if (r.won) {
            ++stage;
            ++game.stagesWon;
        } else if (--game.livesLeft < 0) {
            return game;
        }
    }
    game.reachedEnding = true;
    return game;
}
