#include "world/world_tile.h"

#include "engine/text.h"
#include "shell/image.h"

std::unique_ptr<TWorldTile> TWorldTile::Add(float x, int y, const std::string& key, int frame,
                                            int noHitBox) {
    auto tile = std::make_unique<TWorldTile>();
    tile->X = x * 16;
    // Grid numbers come from text; a huge one must saturate, not overflow.
    tile->Y = Int(double(y) * 16);
    tile->Key = key;
    tile->Value = frame;
    if (noHitBox == 0) {
        // Full width, upper 12 pixels: the bottom 4 pixels of every tile are not solid.
        tile->HitBox = CreateHitBox(Int(tile->X), tile->Y, 16, 16);
        tile->HitBox->Padding(0, 0, 0, -4);
    }
    return tile;
}

void TWorldTile::Render() {
    Image::Tiles->Render(float(Int(X)), float(Y), Value, 0, 1, 1);
}
