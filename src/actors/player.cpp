#include "actors/player.h"

#include <climits>

#include "engine/input.h"
#include "shell/image.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/resets.h"

namespace {
using namespace tuning::player;
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
    RegisterReset(&Player::Reset);
    WorldHitBox.Set(0, 0, 16, 16);
    WorldHitBox.Padding(WORLD_BOX.left, WORLD_BOX.top, WORLD_BOX.right, WORLD_BOX.bottom);
    BodyHitBox.Set(0, 0, 16, 16);
    BodyHitBox.Padding(BODY_BOX.left, BODY_BOX.top, BODY_BOX.right, BODY_BOX.bottom);
    AnimWalk = CreateAnim({0, 1, 2, 3}, WALK_FRAME);
    AnimIdle = CreateAnim({0}, WALK_FRAME);
    AnimDie = CreateAnim({4, 5, 6, 5}, DIE_FRAME);
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

PlayerEvents Player::Update(const PlayerSurroundings& around) {
    if (!Anim) return {};
    const PlayerControls controls = Entering == 0 && Dying == 0 ? ReadControls() : PlayerControls{};
    PlayerStep step = StepPlayer(Body(), controls, around);
    SetBody(step.body);
    const PlayerEvents& events = step.events;
    if (events.jumped) SFX::Play(SFX::PlayerJump);
    if (events.floatStarted) SFX::Play(SFX::PlayerDie);
    if (events.floatedAway && Lives > INT_MIN) --Lives;
    if (!events.still) Anim->Update();
    // Input during the walk-in is thrown away, and once more as control begins.
    if (Entering == 1 || events.walkedIn) FlushInput();
    return std::move(step.events);
}

PlayerBody Player::Body() {
    PlayerBody body;
    body.x = X;
    body.y = Y;
    body.yVelocity = YVelocity;
    body.facing = Facing;
    body.entering = Entering == 1;
    body.dying = Dying != 0;
    body.dieTime = DieTime;
    body.pose = Anim == AnimDie.get()    ? PlayerPose::DIE
                : Anim == AnimWalk.get() ? PlayerPose::WALK
                                         : PlayerPose::IDLE;
    body.worldBox = WorldHitBox;
    body.bodyBox = BodyHitBox;
    return body;
}

void Player::SetBody(const PlayerBody& body) {
    X = body.x;
    Y = body.y;
    YVelocity = body.yVelocity;
    Facing = body.facing;
    Entering = body.entering ? 1 : 0;
    Dying = body.dying ? 1 : 0;
    DieTime = body.dieTime;
    Anim = body.pose == PlayerPose::DIE    ? AnimDie.get()
           : body.pose == PlayerPose::WALK ? AnimWalk.get()
                                           : AnimIdle.get();
    WorldHitBox = body.worldBox;
    BodyHitBox = body.bodyBox;
}

PlayerControls Player::ReadControls() {
    PlayerControls controls;
    controls.right = Control_Right() == 1;
    controls.left = !controls.right && Control_Left() == 1;
    controls.jump = Control_Action() == 1;
    return controls;
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

int Player::Control_Right() {
    if (KeyDown(vk::RIGHT)) return 1;
    if (Bound(cfgKeysRight) && KeyDown(cfgKeysRight)) return 1;
    if (JoyCount() == 0) return 0;
    // Up-right, right and down-right; straight up or down is not asking to run.
    const float hat = JoyHat(0);
    return JoyX(0) > STICK_RUN || (hat > 0 && hat < 0.5f) ? 1 : 0;
}

int Player::Control_Left() {
    if (KeyDown(vk::LEFT)) return 1;
    if (Bound(cfgKeysLeft) && KeyDown(cfgKeysLeft)) return 1;
    if (JoyCount() == 0) return 0;
    // Down-left, left and up-left; straight down (0.5), up (0) and centred (-1) are neither.
    const float hat = JoyHat(0);
    return JoyX(0) < -STICK_RUN || (hat > 0.5f && hat < 1) ? 1 : 0;
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
