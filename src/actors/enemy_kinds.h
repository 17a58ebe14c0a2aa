#pragma once
// The moving enemy kinds as the stage loader sees them: a factory per stage-file type.

#include <memory>

#include "actors/enemy.h"

// Makes a patrolling enemy in grid cell (x, y) with its speed and its two ranges in tiles.
using PatrolFactory = std::unique_ptr<TEnemy> (*)(int x, int y, float speed, int before, int after);

// The factory of stage-file type 24 (bat), 25 (bones), 26 (spider) or 27 (crab); null for any
// other type.
PatrolFactory PatrolFactoryFor(int type);
