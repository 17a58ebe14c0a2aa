#pragma once

#include <memory>

#include "actors/patrol_enemy.h"

// A crab (type 27); its picture faces left.
class TCrab : public TPatrolEnemy {
  public:
    TCrab();
    static std::unique_ptr<TCrab> Add(int tileX, int tileY, float speed, int left, int right);
};
