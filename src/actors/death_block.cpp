#include "actors/death_block.h"

#include "engine/text.h"
#include "shell/image.h"
#include "shell/tuning.h"

namespace {
// The deadly part of the cell by kind; any other kind is deadly over the whole cell.
tuning::Padding PaddingOf(int kind) {
    using namespace tuning::death_block;
    switch (kind) {
        case 12:
            return CENTRE;
        case 13:
            return LOWER;
        case 14:
            return UPPER;
        case 15:
            return LEFT;
        case 16:
            return RIGHT;
        default:
            return WHOLE;
    }
}
}  // namespace

std::unique_ptr<TDeathBlock> TDeathBlock::Add(int tileX, int tileY, int kind) {
    auto block = std::make_unique<TDeathBlock>();
    block->X = float(tileX) * 16;
    block->Y = float(tileY) * 16;
    block->Frame = kind;
    block->HitBox = CreateHitBox(Int(block->X), Int(block->Y), 16, 16);
    const tuning::Padding p = PaddingOf(kind);
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
