#pragma once
// One tick of the player as a plain function: his state, the controls of the tick and what he
// can touch go in; his new state and what happened come out. It reads no input, no clock, no
// stage and plays no sound, so tests, the solver and the game all run the same step: `Player`
// wraps it for the game, and the stage acts on its events.

#include <cstddef>
#include <span>
#include <vector>

#include "toolkit/anim.h"
#include "toolkit/hitbox.h"

// The controls of one tick.
struct PlayerControls {
    bool right = false;
    bool left = false;  // read only when right is not held
    bool jump = false;  // pressed since the last tick
};

// The picture the player shows.
enum class PlayerPose { IDLE, WALK, DIE };

// The state a tick moves on.
struct PlayerBody {
    static constexpr int FACE_RIGHT = 0;
    static constexpr int FACE_LEFT = 1;

    float x = 0, y = 0;
    float yVelocity = 0;  // exactly 0 only while standing, or just after bumping the head
    int facing = FACE_RIGHT;
    bool entering = false;
    bool dying = false;
    GameTime dieTime = 0;  // when the death float begins
    PlayerPose pose = PlayerPose::IDLE;
    THitBox worldBox;  // the legs, against tiles
    THitBox bodyBox;   // most of the sprite, against gems, the coin and enemies
};

// What the player can touch during the tick, as boxes the stage holds; read only.
struct PlayerSurroundings {
    std::span<const THitBox* const> solids;  // solid tiles, in the order they are tried
    std::span<const THitBox* const> gems;    // every gem on the table, collected or not
    const THitBox* coin = nullptr;           // the coin, while it is out
    std::span<const THitBox* const> deadly;  // the enemies and the skull that hurt now
    GameTime now = 0;
};

// What happened during the tick.
struct PlayerEvents {
    bool walkedIn = false;  // the walk-in ended this tick: the player has control
    bool jumped = false;
    bool landed = false;            // the feet met a tile while falling
    bool wrapped = false;           // round a side, or from the bottom to the top
    std::vector<std::size_t> gems;  // indexes into PlayerSurroundings::gems the body touches
    bool coin = false;              // the body touches the coin
    bool hit = false;               // an enemy or the skull touched him: he is dying
    bool floatStarted = false;      // the pause after the hit is over: he starts to rise
    bool floatedAway = false;       // he has risen out of the top: the life is lost
    bool still = false;             // the pause after a hit: nothing moved or animates
};

struct PlayerStep {
    PlayerBody body;
    PlayerEvents events;
};

// One tick: the walk-in, play (run, wrap, jump, fall, land, bump, collect, be hit) or dying.
PlayerStep StepPlayer(const PlayerBody& body, const PlayerControls& controls,
                      const PlayerSurroundings& around);
