#include "toolkit/hitbox.h"

#include "engine/render2d.h"

void THitBox::Set(float xPos, float yPos, float w, float h) {
    x = xPos;
    y = yPos;
    width = w;
    height = h;
}

void THitBox::Padding(float left, float top, float right, float bottom) {
    padLeft = left;
    padTop = top;
    padRight = right;
    padBottom = bottom;
}

int THitBox::Overlaps(THitBox& other) {
    active = 0;
    other.active = 0;
    if (!Touches(other)) return 0;
    active = 1;
    other.active = 1;
    return 1;
}

bool THitBox::Touches(const THitBox& other) const {
    return LeftSide() < other.RightSide() && RightSide() > other.LeftSide() &&
           TopSide() < other.BottomSide() && BottomSide() > other.TopSide();
}

void THitBox::Update(float xPos, float yPos) {
    x = xPos;
    y = yPos;
}

void THitBox::DebugRender() const {
    const float l = LeftSide() - 1, t = TopSide() - 1;
    const float r = RightSide() - 1, b = BottomSide() - 1;
    if (active == 1) {
        SetColor(255, 0, 0);
    } else {
        SetColor(0, 255, 0);
    }
    DrawLine(l, t, r, b);
    DrawLine(r, t, l, t);
    DrawLine(r, b, l, b);
    DrawLine(r, t, r, b);
    DrawLine(l, t, l, b);
    SetColor(255, 255, 255);
}

std::unique_ptr<THitBox> CreateHitBox(int x, int y, int width, int height) {
    auto box = std::make_unique<THitBox>();
    box->Set(static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
             static_cast<float>(height));
    return box;
}
