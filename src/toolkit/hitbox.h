#pragma once
// Collision rectangles: a base rectangle that follows its owner's sprite, and four paddings.

#include <memory>

// The effective box is `x + padLeft`, `y + padTop` to `x + width + padRight`,
// `y + height + padBottom`: positive left/top and negative right/bottom paddings shrink it.
class THitBox {
  public:
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    // Whether the last Overlaps involving this box found an overlap; only DebugRender reads it.
    int active = 0;
    float padLeft = 0;
    float padTop = 0;
    float padRight = 0;
    float padBottom = 0;

    void Set(float xPos, float yPos, float w, float h);
    void Padding(float left, float top, float right, float bottom);
    // 1 when the two boxes share some area; touching edges do not count. Marks both boxes'
    // `active` with the answer.
    int Overlaps(THitBox& other);
    // The same answer without marking either box.
    bool Touches(const THitBox& other) const;
    // Moves the base position; size and paddings stay.
    void Update(float xPos, float yPos);
    // Debug view: the outline and a diagonal, one pixel up and left of the effective box, red
    // after an overlap and green otherwise; leaves the colour white.
    void DebugRender() const;
    float RightSide() const { return GetX() + GetWidth(); }
    float LeftSide() const { return GetX(); }
    float TopSide() const { return GetY(); }
    float BottomSide() const { return GetY() + GetHeight(); }
    float GetWidth() const { return width - padLeft + padRight; }
    float GetHeight() const { return height - padTop + padBottom; }
    float GetX() const { return x + padLeft; }
    float GetY() const { return y + padTop; }
};

// A box with that base rectangle and no padding.
std::unique_ptr<THitBox> CreateHitBox(int x, int y, int width, int height);
