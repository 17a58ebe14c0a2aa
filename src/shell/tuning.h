#pragma once
// Every number that decides how the game plays, in one place, grouped by what it moves. Units:
// px is a pixel of the 256 x 192 virtual screen, a tick is one frame of logic, ms is a
// millisecond of the game clock. Positions are in play-field pixels (the field is 192 x 160 with
// its top-left at 0, 0; a cell is 16 x 16). Anything here changes the game: the stage replays,
// the solver's findings and the human-model figures all rest on these values.

namespace tuning {

// What part of a 16 x 16 cell a hit box covers: added to the left and top edges, and to the
// right and bottom ones (so negative there shrinks the box).
struct Padding {
    float left, top, right, bottom;
};

namespace player {
inline constexpr float WALK_SPEED = 1.25f;        // px a tick, running
inline constexpr float GRAVITY = 0.28f;           // px a tick, added to the fall speed each tick
inline constexpr float JUMP_VELOCITY = 4.6f;      // px a tick, upwards, when a jump starts
inline constexpr float MAX_FALL_VELOCITY = 5.0f;  // px a tick
inline constexpr float WALK_IN_SLOWDOWN = 1.5f;   // the walk-in goes at WALK_SPEED / this
inline constexpr int WALK_IN_X = -16;             // px, where the walk-in starts
inline constexpr int WALK_IN_Y = 128;             // px
inline constexpr float WALK_IN_END = 16;          // px: the player takes control from here on
// The field wraps sideways with a period of 200 px (12.5 cells); falling out of the bottom comes
// back in at the top.
inline constexpr float WRAP_RIGHT = 188;          // px: past this he comes back at WRAP_LEFT
inline constexpr float WRAP_LEFT = -12;           // px: before this he comes back at WRAP_RIGHT
inline constexpr float FALL_WRAP = 188;           // px: below this he comes back at WRAP_LEFT
inline constexpr int DIE_PAUSE = 1000;            // ms everything stands still after a hit
inline constexpr float DEATH_FLOAT = 0.75f;       // px a tick, rising after the pause
inline constexpr float DEATH_TOP = -32;           // px: above this the life is lost
inline constexpr float STICK_RUN = 0.25f;         // stick deflection (0 .. 1) that runs
inline constexpr int WALK_FRAME = 50;             // ms a frame of the running and standing pictures
inline constexpr int DIE_FRAME = 100;             // ms a frame of the death picture
inline constexpr Padding WORLD_BOX{2, 8, -2, 0};  // the feet and legs, against tiles
inline constexpr Padding BODY_BOX{3, 4, -2, 0};   // against gems, the coin and enemies
}  // namespace player

namespace enemy {
inline constexpr int SPAWN_POOF_DELAY = 500;        // ms before the cloud an enemy appears in
inline constexpr int AFTER_SPAWN_POOF_DELAY = 500;  // ms the cloud lasts before it hurts
inline constexpr int POOF_FRAME = 50;               // ms a frame of a cloud
}  // namespace enemy

// One kind of patrolling enemy: how fast its picture moves, how far its first frame is
// scattered, and the part of its cell that hurts.
struct PatrolTuning {
    int frameTime;    // ms a frame
    int randomSteps;  // the animation starts at a random step below this
    Padding box;
};

namespace bones {
inline constexpr PatrolTuning KIND{150, 3, {3, 3, -3, -3}};
}
namespace crab {
inline constexpr PatrolTuning KIND{125, 2, {3, 3, -3, -3}};
}
namespace bat {
inline constexpr PatrolTuning KIND{100, 4, {2, 5, -2, -4}};
}
namespace spider {
inline constexpr PatrolTuning KIND{100, 3, {3, 3, -3, -3}};
}

namespace death_block {
// The deadly part of the cell by stage-file type 12 .. 16; any other type hurts over the whole
// cell.
inline constexpr Padding CENTRE{2, 2, -2, -2};  // type 12
inline constexpr Padding LOWER{2, 6, -2, 0};    // type 13: the upper 6 px are safe
inline constexpr Padding UPPER{2, 0, -2, -6};   // type 14
inline constexpr Padding LEFT{0, 2, -6, -2};    // type 15
inline constexpr Padding RIGHT{6, 2, 0, -2};    // type 16
inline constexpr Padding WHOLE{0, 0, 0, 0};
}  // namespace death_block

namespace skull {
inline constexpr float SPEED = 1.0f;          // the enemy speed field; the flight uses ACCELERATION
inline constexpr float ACCELERATION = 0.66f;  // px flown a tick
inline constexpr float TURN_SPEED = 5.0f;     // damps the turn: see TChaseSkull::Steer
inline constexpr int FRAME = 100;             // ms a frame
inline constexpr int FLASH = 200;             // ms between red and plain
inline constexpr Padding BOX{3, 3, -3, -3};
}  // namespace skull

namespace gem {
inline constexpr float FLIGHT_SPEED = 2.0f;          // px a tick when collected
inline constexpr float FLIGHT_ACCELERATION = 0.03f;  // px a tick, added each tick of the flight
// Where a collected gem flies: just above the middle of the field's top edge, half a gem left.
inline constexpr float FLIGHT_X = 88;     // px
inline constexpr float FLIGHT_Y = -8;     // px: gone once no longer below this
inline constexpr int SPARKLE_MIN = 2000;  // ms between sparkles, at least
inline constexpr int SPARKLE_MAX = 9000;  // ms, at most
inline constexpr int FRAME = 50;          // ms a frame of the sparkle
inline constexpr Padding BOX{3, 3, -3, -3};
}  // namespace gem

namespace coin {
inline constexpr float GRAVITY = 0.05f;           // px a tick, added each tick of the fall
inline constexpr float MAX_FALL_VELOCITY = 4.0f;  // px a tick
inline constexpr float BOUNCE_DIVISOR = 1.5f;     // a bounce keeps 1 / this of the speed
inline constexpr float REST_SPEED = 0.1f;         // px a tick: a slower bounce leaves it at rest
inline constexpr int FRAME = 100;                 // ms a frame
inline constexpr Padding BOX{2, 2, -2, 0};
}  // namespace coin

namespace curtains {
inline constexpr int SPEED = 500;  // ms for one opening or closing
}

}  // namespace tuning
