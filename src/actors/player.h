#pragma once
// The hero: walks in at the start of a stage, runs, jumps, falls and stands on solid tiles,
// wraps round the edges of the field, collects what he touches and dies when an enemy touches
// him. There is only ever one, so all of his state is class-level.

#include <memory>

#include "toolkit/anim.h"
#include "toolkit/hitbox.h"

// The class-level globals of Player with their start values, so Reset cannot miss one.
struct PlayerState {
    int Lives = 0;
    float X = 0;
    float Y = 0;
    float WalkSpeed = 1.25f;
    float Gravity = 0.28f;
    float JumpVelocity = 4.6f;
    float MaxFallVelocity = 5.0f;
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
    static constexpr int FACE_RIGHT = 0;
    static constexpr int FACE_LEFT = 1;
    // Milliseconds everything stands still after the player is hit.
    static constexpr int DIEPAUSETIME = 1000;
    // Key codes the control configuration stores for the arrow keys.
    static constexpr int ARROW_UP = 9991;

    static inline int& Lives = state_.Lives;
    static inline float& X = state_.X;
    static inline float& Y = state_.Y;
    static inline const float& WalkSpeed = state_.WalkSpeed;
    static inline const float& Gravity = state_.Gravity;
    static inline const float& JumpVelocity = state_.JumpVelocity;
    static inline const float& MaxFallVelocity = state_.MaxFallVelocity;
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
    // One tick: walk-in, play or dying.
    static void Update();
    // 1 when a present enemy or the chase skull touches the body.
    static int HitEnemy();
    // Collects every gem and the released coin the body touches.
    static void CollectGemsCoins();
    // Each: 1 when WorldHitBox overlaps a solid tile, with the coordinate that puts him against
    // it. Right and Left move the box to the player first; Feet and Head expect the caller to.
    static int CollideWorldFeet(int& y);
    static int CollideWorldRight(int& x);
    static int CollideWorldLeft(int& x);
    static int CollideWorldHead(int& y);
    // 1 while the player holds that direction (keys, stick or hat).
    static int Control_Right();
    static int Control_Left();
    // 1 when jump was pressed since the last ask; the press is used up.
    static int Control_Action();

    // Everything back to its start value (tests).
    static void Reset();

  private:
    static void UpdateEntering();
    static void UpdatePlaying();
    static void UpdateDying();
    static void MoveHorizontally();
    static void Wrap();
    static void MoveVertically();
    static void FollowBoxes();
};
