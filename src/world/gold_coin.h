#pragma once
// The stage's final prize: hidden above its column until every gem is got, then it drops,
// bounces on the solid tiles below with shrinking height until it rests, spinning all the while.

#include <memory>

#include "shell/tuning.h"
#include "toolkit/anim.h"
#include "toolkit/hitbox.h"

class TGoldCoin {
  public:
    float X = 0;
    float Y = 0;
    std::unique_ptr<TAnim> Anim;
    std::unique_ptr<THitBox> HitBox;
    float YVelocity = 0;
    float Gravity = tuning::coin::GRAVITY;
    float MaxFallVelocity = tuning::coin::MAX_FALL_VELOCITY;
    int Got = 0;
    int Hidden = 0;
    int stop = 0;
    // The first solid tile's box that overlaps a box, or null: the stage hands over its own.
    THitBox* (*SolidUnder)(THitBox& box) = nullptr;

    virtual ~TGoldCoin() = default;
    // A hidden coin in grid cell (x, y); the stage passes row -1, one row above the field.
    static std::unique_ptr<TGoldCoin> Add(int x, int y);
    // Draws the coin unless it is hidden.
    virtual void Render();
    // One tick: spin, and once released fall and bounce.
    virtual void Update();
    // 1 when the coin overlaps a solid tile, with y the top that rests the coin on it.
    virtual int HitPlatform(int& y);
    // Marks the coin got and plays its sound; a second call does nothing.
    virtual void Collected();
    // Releases a hidden coin; nothing otherwise.
    virtual void Activate();
};
