#pragma once
// The hero: walks in at the start of a stage, runs, jumps, falls and stands on solid tiles,
// wraps round the edges of the field, collects what he touches and dies when an enemy touches
// him. There is only ever one, so all of his state is class-level.

#include <memory>

#include "actors/player_step.h"
#include "shell/tuning.h"
#include "toolkit/anim.h"
#include "toolkit/hitbox.h"

// The class-level globals of Player with their start values, so Reset cannot miss one.
struct PlayerState {
    int Lives = 0;
    float X = 0;
    float Y = 0;
    float YVelocity = 0;
    // Lower half of the sprite, against the tiles.
    THitBox WorldHitBox;
    // Most of the sprite, against gems, the coin and enemies.
    THitBox BodyHitBox;
    // One of the three animations below.
    TAnim* Anim = nullptr;
    std::unique_ptr<TAnim> AnimWalk;
    std::unique_ptr<TAnim> AnimIdle;
    std::unique_ptr<TAnim> AnimDie;
    int Facing = 0;
    int Dying = 0;
    // Game-clock time at which the death float begins.
    GameTime DieTime = 0;
    int Entering = 0;
};

class Player {
    static inline PlayerState state_;

  public:
    static constexpr int FACE_RIGHT = PlayerBody::FACE_RIGHT;
    static constexpr int FACE_LEFT = PlayerBody::FACE_LEFT;
    // Milliseconds everything stands still after the player is hit.
    static constexpr int DIEPAUSETIME = tuning::player::DIE_PAUSE;

    static inline int& Lives = state_.Lives;
    static inline float& X = state_.X;
    static inline float& Y = state_.Y;
    static inline float& YVelocity = state_.YVelocity;
    static inline THitBox& WorldHitBox = state_.WorldHitBox;
    static inline THitBox& BodyHitBox = state_.BodyHitBox;
    static inline TAnim*& Anim = state_.Anim;
    static inline std::unique_ptr<TAnim>& AnimWalk = state_.AnimWalk;
    static inline std::unique_ptr<TAnim>& AnimIdle = state_.AnimIdle;
    static inline std::unique_ptr<TAnim>& AnimDie = state_.AnimDie;
    static inline int& Facing = state_.Facing;
    static inline int& Dying = state_.Dying;
    static inline GameTime& DieTime = state_.DieTime;
    static inline int& Entering = state_.Entering;

    // Start-up: both hit boxes and the three animations, standing and facing right.
    static void Create();
    static void SetLivesCount(int lives);
    // Puts the player at (x, y) for the walk-in, alive, and throws pending input away.
    static void MoveTo(int x, int y);
    // Draws the sprite, mirrored when facing left, with the mark above him while dying.
    static void Render();
    // One tick of StepPlayer against `around`, with this tick's controls (read only while he
    // is in play), his sounds, his animation and his lives; the events are for the stage.
    static PlayerEvents Update(const PlayerSurroundings& around);
    // 1 while the player holds that direction (keys, stick or hat).
    static int Control_Right();
    static int Control_Left();
    // 1 when jump was pressed since the last ask; the press is used up.
    static int Control_Action();

    // Everything back to its start value (tests).
    static void Reset();

  private:
    static PlayerBody Body();
    static void SetBody(const PlayerBody& body);
    static PlayerControls ReadControls();
    static void FollowBoxes();
};
