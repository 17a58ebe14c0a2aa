#include "actors/player_step.h"

#include "engine/text.h"
#include "shell/tuning.h"

namespace {
using namespace tuning::player;

// The tick being worked out: the body as it moves, and what has happened so far.
class Step {
  public:
    Step(const PlayerBody& body, const PlayerSurroundings& around) : b_(body), around_(around) {}

    PlayerStep Run(const PlayerControls& controls) {
        if (b_.entering) {
            Enter();
        } else if (!b_.dying) {
            Play(controls);
        } else {
            Die();
        }
        return {b_, std::move(events_)};
    }

  private:
    void Enter() {
        b_.x += WALK_SPEED / WALK_IN_SLOWDOWN;
        b_.pose = PlayerPose::WALK;
        if (b_.x < WALK_IN_END) return;
        b_.entering = false;
        events_.walkedIn = true;
    }

    void Play(const PlayerControls& controls) {
        b_.pose = PlayerPose::IDLE;
        MoveHorizontally(controls);
        Wrap();
        b_.worldBox.Update(b_.x, b_.y);
        if (controls.jump && b_.yVelocity == 0) {
            b_.yVelocity = -JUMP_VELOCITY;
            events_.jumped = true;
        }
        MoveVertically();
        Touch();
    }

    void Die() {
        if (around_.now <= b_.dieTime) {
            events_.still = true;
            return;
        }
        events_.floatStarted = b_.pose != PlayerPose::DIE;
        b_.pose = PlayerPose::DIE;
        b_.facing = PlayerBody::FACE_RIGHT;
        b_.y -= DEATH_FLOAT;
        events_.floatedAway = b_.y < DEATH_TOP;
    }

    void MoveHorizontally(const PlayerControls& controls) {
        if (controls.right) {
            Run(PlayerBody::FACE_RIGHT, WALK_SPEED);
            if (const THitBox* tile = Solid()) b_.x = float(Int(tile->LeftSide() - 16 + 2));
        } else if (controls.left) {
            Run(PlayerBody::FACE_LEFT, -WALK_SPEED);
            if (const THitBox* tile = Solid()) b_.x = float(Int(tile->RightSide() - 2));
        }
    }

    void Run(int facing, float step) {
        b_.facing = facing;
        b_.pose = PlayerPose::WALK;
        b_.x += step;
        b_.worldBox.Update(b_.x, b_.y);
    }

    void Wrap() {
        if (b_.x > WRAP_RIGHT) {
            b_.x = WRAP_LEFT;
        } else if (b_.x < WRAP_LEFT) {
            b_.x = WRAP_RIGHT;
        } else {
            return;
        }
        events_.wrapped = true;
        // The twin of a wall at the far edge pushes him out; the left-side test either way.
        b_.worldBox.Update(b_.x, b_.y);
        if (const THitBox* tile = Solid()) b_.x = float(Int(tile->RightSide() - 2));
    }

    void MoveVertically() {
        b_.yVelocity += GRAVITY;
        if (b_.yVelocity > MAX_FALL_VELOCITY) b_.yVelocity = MAX_FALL_VELOCITY;
        b_.y += b_.yVelocity;
        // Falling out of the bottom comes back in at the top; there is no wrap upwards.
        if (b_.y > FALL_WRAP) {
            b_.y = WRAP_LEFT;
            b_.yVelocity = 0;
            events_.wrapped = true;
        }
        b_.worldBox.Update(b_.x, b_.y);
        const THitBox* tile = b_.yVelocity != 0 ? Solid() : nullptr;
        if (tile && b_.yVelocity > 0) {
            b_.y = float(Int(tile->TopSide() - 16));
            events_.landed = true;
        } else if (tile) {
            b_.y = float(Int(tile->BottomSide() - 8));
        }
        if (tile) b_.yVelocity = 0;
        b_.worldBox.Update(b_.x, b_.y);
    }

    // Gems, the coin and the enemies the body touches.
    void Touch() {
        b_.bodyBox.Update(b_.x, b_.y);
        for (std::size_t i = 0; i < around_.gems.size(); ++i)
            if (around_.gems[i]->Touches(b_.bodyBox)) events_.gems.push_back(i);
        events_.coin = around_.coin && around_.coin->Touches(b_.bodyBox);
        for (const THitBox* enemy : around_.deadly)
            events_.hit = events_.hit || enemy->Touches(b_.bodyBox);
        if (!events_.hit) return;
        b_.dying = true;
        b_.dieTime = around_.now + DIE_PAUSE;
    }

    // The first solid tile the legs overlap.
    const THitBox* Solid() const {
        for (const THitBox* tile : around_.solids)
            if (b_.worldBox.Touches(*tile)) return tile;
        return nullptr;
    }

    PlayerBody b_;
    const PlayerSurroundings& around_;
    PlayerEvents events_;
};
}  // namespace

PlayerStep StepPlayer(const PlayerBody& body, const PlayerControls& controls,
                      const PlayerSurroundings& around) {
    return Step(body, around).Run(controls);
}
