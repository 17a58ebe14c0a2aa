#include "snapshot.h"

#include <stdexcept>

#include "actors/enemy_kinds.h"
#include "engine/random.h"
#include "support/manual_clock.h"
#include "toolkit/tween.h"

namespace {
template <class T>
std::unique_ptr<T> Copy(const std::unique_ptr<T>& p) {
    return p ? std::make_unique<T>(*p) : nullptr;
}

// Enemies copy themselves whole (their parts are DeepPtrs); the registry knows each kind's class.
std::unique_ptr<TEnemy> CopyEnemy(const TEnemy& e) {
    const EnemyKind* kind = EnemyKindOf(e);
    if (!kind) throw std::logic_error("an enemy no kind of the registry makes");
    return kind->clone(e);
}

std::unique_ptr<TChaseSkull> CopySkull(const std::unique_ptr<TChaseSkull>& s) {
    return s ? std::make_unique<TChaseSkull>(*s) : nullptr;
}

std::unique_ptr<TGem> CopyGem(const TGem& g) {
    auto c = std::make_unique<TGem>();
    c->X = g.X;
    c->Y = g.Y;
    c->Key = g.Key;
    c->Color = g.Color;
    c->HitBox = Copy(g.HitBox);
    c->Anim = Copy(g.Anim);
    c->AnimWaitDelay = g.AnimWaitDelay;
    c->Got = g.Got;
    c->Angle = g.Angle;
    c->Directionx = g.Directionx;
    c->Directiony = g.Directiony;
    c->Speed = g.Speed;
    return c;
}

std::unique_ptr<TGoldCoin> CopyCoin(const std::unique_ptr<TGoldCoin>& g) {
    if (!g) return nullptr;
    auto c = std::make_unique<TGoldCoin>();
    c->X = g->X;
    c->Y = g->Y;
    c->Anim = Copy(g->Anim);
    c->HitBox = Copy(g->HitBox);
    c->YVelocity = g->YVelocity;
    c->Gravity = g->Gravity;
    c->MaxFallVelocity = g->MaxFallVelocity;
    c->Got = g->Got;
    c->Hidden = g->Hidden;
    c->stop = g->stop;
    c->SolidUnder = g->SolidUnder;
    return c;
}

std::unique_ptr<TStageCurtins> CopyCurtains(const std::unique_ptr<TStageCurtins>& k) {
    if (!k) return nullptr;
    auto c = std::make_unique<TStageCurtins>();
    c->Height = k->Height;
    c->Action = k->Action;
    c->Width = Copy(k->Width);
    c->Speed = k->Speed;
    return c;
}

// The player's state with its animations copied; the current one is named by index.
void CopyPlayer(PlayerState& to, int& anim) {
    to.Lives = Player::Lives;
    to.X = Player::X;
    to.Y = Player::Y;
    to.YVelocity = Player::YVelocity;
    to.WorldHitBox = Player::WorldHitBox;
    to.BodyHitBox = Player::BodyHitBox;
    to.AnimWalk = Copy(Player::AnimWalk);
    to.AnimIdle = Copy(Player::AnimIdle);
    to.AnimDie = Copy(Player::AnimDie);
    to.Facing = Player::Facing;
    to.Dying = Player::Dying;
    to.DieTime = Player::DieTime;
    to.Entering = Player::Entering;
    anim = Player::Anim == Player::AnimWalk.get()  ? 0
           : Player::Anim == Player::AnimDie.get() ? 2
                                                   : 1;
}

void RestorePlayer(const PlayerState& from, int anim) {
    Player::Lives = from.Lives;
    Player::X = from.X;
    Player::Y = from.Y;
    Player::YVelocity = from.YVelocity;
    Player::WorldHitBox = from.WorldHitBox;
    Player::BodyHitBox = from.BodyHitBox;
    Player::AnimWalk = Copy(from.AnimWalk);
    Player::AnimIdle = Copy(from.AnimIdle);
    Player::AnimDie = Copy(from.AnimDie);
    Player::Facing = from.Facing;
    Player::Dying = from.Dying;
    Player::DieTime = from.DieTime;
    Player::Entering = from.Entering;
    Player::Anim = anim == 0   ? Player::AnimWalk.get()
                   : anim == 2 ? Player::AnimDie.get()
                               : Player::AnimIdle.get();
}
}  // namespace

Snapshot TakeSnapshot(ManualClock& clock, int tick, const TickKeys& last) {
    Snapshot s;
    s.clockNow = clock.Now();
    s.gameMs = GameMilliSecs();
    s.tweenTime = ::tweenTime;
    s.rnd = RndSeed();
    s.poofSoundPlayed = TEnemyPoof::poofSoundPlayed;
    s.tick = tick;
    s.last = last;
    s.stageNumber = StageActual::StageNumber;
    s.state = StageActual::State;
    s.theme = StageActual::Theme;
    s.coinReleased = StageActual::CoinReleased;
    for (const auto& [key, gem] : StageActual::Gems) s.gems[key] = CopyGem(*gem);
    for (const auto& e : StageActual::Enemies) s.enemies.push_back(CopyEnemy(*e));
    s.coin = CopyCoin(StageActual::GoldCoin);
    s.skull = CopySkull(StageActual::ChaseSkull);
    s.curtains = CopyCurtains(StageActual::Curtains);
    s.timer = Copy(StageActual::StageTimer);
    CopyPlayer(s.player, s.playerAnim);
    return s;
}

void RestoreSnapshot(const Snapshot& s, ManualClock& clock) {
    // The game clock only ever grows, by the size of any step of the system clock, so it is set
    // by counting it afresh: from zero at (now - ms) to ms at now.
    clock.Set(s.clockNow - s.gameMs);
    InitGameClock();
    clock.Set(s.clockNow);
    GameMilliSecs();
    ::tweenTime = s.tweenTime;
    SeedRnd(s.rnd);
    TEnemyPoof::poofSoundPlayed = s.poofSoundPlayed;
    StageActual::StageNumber = s.stageNumber;
    StageActual::State = s.state;
    StageActual::Theme = s.theme;
    StageActual::CoinReleased = s.coinReleased;
    StageActual::Gems.clear();
    for (const auto& [key, gem] : s.gems) StageActual::Gems[key] = CopyGem(*gem);
    StageActual::Enemies.clear();
    for (const auto& e : s.enemies) StageActual::Enemies.push_back(CopyEnemy(*e));
    StageActual::GoldCoin = CopyCoin(s.coin);
    StageActual::ChaseSkull = CopySkull(s.skull);
    StageActual::Curtains = CopyCurtains(s.curtains);
    StageActual::StageTimer = Copy(s.timer);
    RestorePlayer(s.player, s.playerAnim);
}
