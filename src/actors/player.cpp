#include "actors/player.h"

#include <climits>

#include "engine/input.h"
#include "engine/text.h"
#include "shell/image.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "world/stage_actual.h"

namespace {
// Walk-in ends once the player has come this far into the field.
constexpr float kWalkInEnd = 16;
// The field wraps with a period of 200 pixels (12.5 tiles).
constexpr float kWrapRight = 188;
constexpr float kWrapLeft = -12;
constexpr float kFallWrap = 188;
constexpr float kDeathFloat = 0.75f;
constexpr float kDeathTop = -32;
// Bindings at or above this are arrow codes of the configuration screen, never real keys. Every
// key code below it is a real key: the configuration screen binds punctuation by its key's own
// code (the comma key is 188).
constexpr int kFirstNonKey = 256;

void FlushInput() {
    FlushKeys();
    FlushJoy(-1);
}

bool Bound(int binding) {
    return binding < kFirstNonKey;
}
}  // namespace

void Player::Create() {
    WorldHitBox.Set(0, 0, 16, 16);
    WorldHitBox.Padding(2, 8, -2, 0);
    BodyHitBox.Set(0, 0, 16, 16);
    BodyHitBox.Padding(3, 4, -2, 0);
    AnimWalk = CreateAnim({0, 1, 2, 3}, 50);
    AnimIdle = CreateAnim({0}, 50);
    AnimDie = CreateAnim({4, 5, 6, 5}, 100);
    Anim = AnimIdle.get();
    Facing = FACE_RIGHT;
}

void Player::SetLivesCount(int lives) {
    Lives = lives;
}

void Player::MoveTo(int x, int y) {
    X = float(x);
    Y = float(y);
    FollowBoxes();
    Dying = 0;
    Anim = AnimIdle.get();
    Facing = FACE_RIGHT;
    YVelocity = 0;
    Entering = 1;
    FlushInput();
}

void Player::FollowBoxes() {
    WorldHitBox.Update(X, Y);
    BodyHitBox.Update(X, Y);
}

void Player::Update() {
    if (!Anim) return;
    if (Entering == 1) {
        UpdateEntering();
    } else if (Dying == 0) {
        UpdatePlaying();
    } else {
        UpdateDying();
    }
}

void Player::UpdateEntering() {
    X += WalkSpeed / 1.5f;
    Anim = AnimWalk.get();
    Anim->Update();
    // Input during the walk-in is thrown away.
    FlushInput();
    if (X < kWalkInEnd) return;
    Entering = 0;
    if (StageActual::StageTimer) StageActual::StageTimer->Start();
    FlushInput();
}

void Player::UpdatePlaying() {
    Anim = AnimIdle.get();
    MoveHorizontally();
    Wrap();
    WorldHitBox.Update(X, Y);
    // YVelocity is exactly 0 only while standing, or just after bumping the head.
    if (Control_Action() && YVelocity == 0) {
        YVelocity = -JumpVelocity;
        SFX::Play(SFX::PlayerJump);
    }
    MoveVertically();
    CollectGemsCoins();
    if (HitEnemy()) {
        Dying = 1;
        DieTime = GameMilliSecs() + DIEPAUSETIME;
        if (StageActual::StageTimer) StageActual::StageTimer->Stop();
        SFX::StopMusic();
    }
    Anim->Update();
}

void Player::MoveHorizontally() {
    int x = 0;
    if (Control_Right()) {
        Facing = FACE_RIGHT;
        Anim = AnimWalk.get();
        X += WalkSpeed;
        if (CollideWorldRight(x)) X = float(x);
    } else if (Control_Left()) {
        Facing = FACE_LEFT;
        Anim = AnimWalk.get();
        X -= WalkSpeed;
        if (CollideWorldLeft(x)) X = float(x);
    }
}

void Player::Wrap() {
    if (X > kWrapRight) {
        X = kWrapLeft;
    } else if (X < kWrapLeft) {
        X = kWrapRight;
    } else {
        return;
    }
    // The twin of a wall at the far edge pushes him out; the left-side test in both directions.
    int x = 0;
    if (CollideWorldLeft(x)) X = float(x);
}

void Player::MoveVertically() {
    YVelocity += Gravity;
    if (YVelocity > MaxFallVelocity) YVelocity = MaxFallVelocity;
    Y += YVelocity;
    // Falling out of the bottom comes back in at the top; there is no wrap upwards.
    if (Y > kFallWrap) {
        Y = kWrapLeft;
        YVelocity = 0;
    }
    WorldHitBox.Update(X, Y);
    int y = 0;
    if (YVelocity > 0) {
        if (CollideWorldFeet(y)) {
            Y = float(y);
            YVelocity = 0;
        }
    } else if (YVelocity < 0) {
        if (CollideWorldHead(y)) {
            Y = float(y);
            YVelocity = 0;
        }
    }
    WorldHitBox.Update(X, Y);
}

void Player::UpdateDying() {
    if (GameMilliSecs() <= DieTime) return;
    if (Anim != AnimDie.get()) SFX::Play(SFX::PlayerDie);
    Anim = AnimDie.get();
    Facing = FACE_RIGHT;
    Y -= kDeathFloat;
    if (Y < kDeathTop) {
        if (Lives > INT_MIN) --Lives;
        StageActual::State = Lives < 0 ? StageActual::STATE_GAMEOVER : StageActual::STATE_LOST;
        if (StageActual::Curtains) StageActual::Curtains->Action = TStageCurtins::CLOSE;
    }
    Anim->Update();
}

void Player::Render() {
    if (!Anim) return;
    if (Facing == FACE_LEFT) {
        // The picture faces right; mirrored about its own width it still covers X .. X + 16.
        Image::Player->Render(X + 16, Y, Anim->Value(), 0, -1, 1);
    } else {
        Image::Player->Render(X, Y, Anim->Value(), 0, 1, 1);
    }
    if (Anim == AnimDie.get()) Image::Player->Render(X, Y - 16 + 2, 7, 0, 1, 1);
}

void Player::CollectGemsCoins() {
    BodyHitBox.Update(X, Y);
    for (auto& [key, gem] : StageActual::Gems)
        if (gem->HitBox->Overlaps(BodyHitBox)) gem->Collected();
    TGoldCoin* coin = StageActual::GoldCoin.get();
    if (coin && coin->Hidden == 0 && coin->HitBox->Overlaps(BodyHitBox)) {
        coin->Anim->SetValue(0);
        coin->Collected();
    }
}

int Player::HitEnemy() {
    BodyHitBox.Update(X, Y);
    for (auto& enemy : StageActual::Enemies)
        if (enemy->Deadly() && enemy->HitBox->Overlaps(BodyHitBox)) return 1;
    TEnemy* skull = StageActual::ChaseSkull.get();
    return skull && skull->Deadly() && skull->HitBox->Overlaps(BodyHitBox) ? 1 : 0;
}

int Player::CollideWorldFeet(int& y) {
    TWorldTile* tile = StageActual::FirstSolidTile(WorldHitBox);
    if (!tile) return 0;
    y = Int(tile->HitBox->TopSide() - 16);
    return 1;
}

int Player::CollideWorldHead(int& y) {
    TWorldTile* tile = StageActual::FirstSolidTile(WorldHitBox);
    if (!tile) return 0;
    y = Int(tile->HitBox->BottomSide() - 8);
    return 1;
}

int Player::CollideWorldRight(int& x) {
    WorldHitBox.Update(X, Y);
    TWorldTile* tile = StageActual::FirstSolidTile(WorldHitBox);
    if (!tile) return 0;
    x = Int(tile->HitBox->LeftSide() - 16 + 2);
    return 1;
}

int Player::CollideWorldLeft(int& x) {
    WorldHitBox.Update(X, Y);
    TWorldTile* tile = StageActual::FirstSolidTile(WorldHitBox);
    if (!tile) return 0;
    x = Int(tile->HitBox->RightSide() - 2);
    return 1;
}

int Player::Control_Right() {
    if (KeyDown(vk::RIGHT)) return 1;
    if (Bound(cfgKeysRight) && KeyDown(cfgKeysRight)) return 1;
    if (JoyCount() == 0) return 0;
    // Up-right, right and down-right; straight up or down is not asking to run.
    const float hat = JoyHat(0);
    return JoyX(0) > 0.25f || (hat > 0 && hat < 0.5f) ? 1 : 0;
}

int Player::Control_Left() {
    if (KeyDown(vk::LEFT)) return 1;
    if (Bound(cfgKeysLeft) && KeyDown(cfgKeysLeft)) return 1;
    if (JoyCount() == 0) return 0;
    // Down-left, left and up-left; straight down (0.5), up (0) and centred (-1) are neither.
    const float hat = JoyHat(0);
    return JoyX(0) < -0.25f || (hat > 0.5f && hat < 1) ? 1 : 0;
}

int Player::Control_Action() {
    if (KeyHit(vk::SPACE) || KeyHit(vk::ENTER)) return 1;
    if (cfgKeysAction == ARROW_UP && KeyHit(vk::UP)) return 1;
    if (Bound(cfgKeysAction) && KeyHit(cfgKeysAction)) return 1;
    return JoyCount() > 0 && JoyHit(cfgJoyAction, 0) ? 1 : 0;
}

void Player::Reset() {
    state_ = PlayerState{};
}
