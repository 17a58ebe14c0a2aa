#pragma once

#include <memory>

#include "actors/patrol_enemy.h"

// A walking skeleton (stage-file type 25); never mirrored.
class TBones : public TPatrolEnemy {
  public:
    TBones();
    static std::unique_ptr<TBones> Add(int tileX, int tileY, float speed, int left, int right);
};
