#pragma once

#include <memory>

#include "actors/enemy.h"

// A spider (type 26) climbing between two heights on a thread hung from the upper bound.
class TSpider : public TEnemy {
  public:
    // y from which the thread hangs: the upper bound, fixed at creation.
    int WebAnchorPoint = 0;

    static std::unique_ptr<TSpider> Add(int tileX, int tileY, float speed, int up, int down);
    // The spider, then its thread above it.
    int Render() override;
    int Update() override;
    int Defeated() override;
    int Spawn() override;
};
