#include "actors/death_block.h"

#include "engine/text.h"
#include "shell/image.h"

namespace {
struct Padding {
    float left, top, right, bottom;
};

// The deadly part of the cell by kind; any other kind is deadly over the whole cell.
Padding PaddingOf(int kind) {
    switch (kind) {
        case 12:
            return {2, 2, -2, -2};  // centre
        case 13:
            return {2, 6, -2, 0};  // lower part: the upper 6 pixels are safe
        case 14:
            return {2, 0, -2, -6};  // upper part
        case 15:
            return {0, 2, -6, -2};  // left part
        case 16:
            return {6, 2, 0, -2};  // right part
        default:
            return {0, 0, 0, 0};
    }
}
}  // namespace

std::unique_ptr<TDeathBlock> TDeathBlock::Add(int tileX, int tileY, int kind) {
    auto block = std::make_unique<TDeathBlock>();
    block->X = float(tileX) * 16;
    block->Y = float(tileY) * 16;
    block->Frame = kind;
    block->HitBox = CreateHitBox(Int(block->X), Int(block->Y), 16, 16);
    const Padding p = PaddingOf(kind);
    block->HitBox->Padding(p.left, p.top, p.right, p.bottom);
    return block;
}

int TDeathBlock::Render() {
    Image::Items->Render(X, Y, Frame, 0, 1, 1);
    return 0;
}

int TDeathBlock::Update() {
    HitBox->Update(X, Y);
    return 0;
}
