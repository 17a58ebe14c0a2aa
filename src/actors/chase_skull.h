#pragma once
// The red skull that punishes dawdling: hidden above the field until the stage time runs out,
// then it flies straight through everything towards the player with a limited turning rate,
// flashing red, until the stage ends.

#include <memory>

#include "actors/enemy.h"
#include "shell/tuning.h"

class TChaseSkull : public TEnemy {
  public:
    // Heading in whole degrees, 0 .. 359, from +x towards +y.
    int Angle = 0;
    // Distance flown per tick.
    float Acel = tuning::skull::ACCELERATION;
    // Damps the turn: each tick takes 1 / (1 + Acel * TurnSpeed) of the heading error.
    float TurnSpeed = tuning::skull::TURN_SPEED;
    // Alternates 0 and 1 every 200 ms; 1 tints the skull red.
    DeepPtr<TAnim> FlashTime;

    // A hidden skull in grid cell (tileX, tileY); the stage uses (0, -1), above the field.
    static std::unique_ptr<TChaseSkull> Add(int tileX, int tileY);
    int Render() override;
    // Steers towards the player and flies on; the hit box takes last tick's position.
    int Update() override;
    // The skull stays when the other enemies go.
    int Defeated() override { return 0; }
    // Wakes the skull and starts the chase music; only the first call does anything.
    int Activate() override;

    // The heading one steering step turns `angle` to, for the bearing `t` of the skull as seen
    // from the player (already the nearer of t and t - 360 * sign).
    static int Steer(int angle, int t, float acel, float turnSpeed);
};
