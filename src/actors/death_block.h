#pragma once
// A fixed hazard cell: a picture from the "items" strip that kills on contact. Its kind (12..16)
// is both the frame drawn and which part of the cell is deadly.

#include <memory>

#include "actors/enemy.h"

class TDeathBlock : public TEnemy {
  public:
    // A block of kind 12..16 in grid cell (tileX, tileY); present and deadly from the start.
    static std::unique_ptr<TDeathBlock> Add(int tileX, int tileY, int kind);
    int Render() override;
    // Keeps the hit box on the block.
    int Update() override;
    // Death blocks stay when the other enemies go.
    int Defeated() override { return 0; }
};
