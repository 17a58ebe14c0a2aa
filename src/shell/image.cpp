#include "shell/image.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "toolkit/bitmap_font.h"
#include "toolkit/resets.h"

namespace {
struct AddedStrip {
    std::unique_ptr<AtlasTile>* slot;
    const char* region;
    int cell, frames, padding;
};

std::vector<AddedStrip>& AddedStrips() {
    static std::vector<AddedStrip> strips;
    return strips;
}
}  // namespace

void Image::AddStrip(std::unique_ptr<AtlasTile>* slot, const char* region, int cell, int frames,
                     int padding) {
    if (!slot) return;
    for (const AddedStrip& s : AddedStrips())
        if (s.slot == slot) return;
    AddedStrips().push_back({slot, region, cell, frames, padding});
}

void Image::Load() {
    RegisterReset(&Image::Reset);
    if (!atlasFile) atlasFile = std::make_unique<AtlasFileClass>();
    atlasFile->LoadFile("", "", 0);
    Font = TBitMapFont::CutGlyphs();
    gameFont = std::make_unique<TBitMapFont>(Font.get());
    Tiles = CreateAtlasTile("tiles", 20, 20, 72, 2);
    Items = CreateAtlasTile("items", 20, 20, 72, 2);
    Player = CreateAtlasTile("player", 20, 20, 8, 2);
    Gems = CreateAtlasTile("gems", 20, 20, 24, 2);
    GoldCoin = CreateAtlasTile("goldcoin", 20, 20, 4, 2);
    ChaseSkull = CreateAtlasTile("e_chase_skull", 20, 20, 3, 2);
    Poof = CreateAtlasTile("poof", 20, 20, 6, 2);
    for (int i = 0; i < 4; ++i)
        Borders[static_cast<std::size_t>(i)] =
            CreateAtlasTile("border" + std::to_string(i + 1), 20, 20, 9, 2);
    Title = CreateAtlasImage("title_gfx", 0);
    for (const AddedStrip& s : AddedStrips())
        *s.slot = CreateAtlasTile(s.region, s.cell, s.cell, s.frames, s.padding);
}

void Image::Reset() {
    gameFont.reset();
    for (auto* strip : {&Font, &Tiles, &Items, &Player, &Gems, &GoldCoin, &ChaseSkull, &Poof})
        strip->reset();
    for (const AddedStrip& s : AddedStrips()) s.slot->reset();
    for (auto& b : Borders) b.reset();
    Title.reset();
}
