#pragma once

#include <memory>

#include "actors/patrol_enemy.h"

// A bat (type 24), flying level; its picture faces right.
class TBat : public TPatrolEnemy {
  public:
    TBat();
    static std::unique_ptr<TBat> Add(int tileX, int tileY, float speed, int left, int right);
};
