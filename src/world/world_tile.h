#pragma once
// One 16 x 16 cell of a stage's scenery: a frame of the "tiles" strip at a grid position, solid
// (the upper 12 pixels block from every side) or, for scenery frames, only drawn.

#include <memory>
#include <string>

#include "toolkit/hitbox.h"

class TWorldTile {
  public:
    float X = 0;
    int Y = 0;
    std::string Key;
    int Value = 0;
    // The solid area; null for scenery.
    std::unique_ptr<THitBox> HitBox;

    virtual ~TWorldTile() = default;
    // A tile in grid cell (x, y); x may be fractional (the wrap-around twins). noHitBox 0 makes it
    // solid.
    static std::unique_ptr<TWorldTile> Add(float x, int y, const std::string& key, int frame,
                                           int noHitBox);
    // Draws the frame at the tile's place in play-field coordinates.
    virtual void Render();
};
