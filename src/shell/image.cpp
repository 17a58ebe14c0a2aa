#include "shell/image.h"

#include <initializer_list>
#include <string>

#include "toolkit/bitmap_font.h"

void Image::Load() {
    if (!atlasFile) atlasFile = std::make_unique<AtlasFileClass>();
    atlasFile->LoadFile("", "", 0);
    Font = CreateAtlasTile("bitmapfonts", 12, 12, 672, 2);
    gameFont = std::make_unique<TBitMapFont>(Font.get());
    Tiles = CreateAtlasTile("tiles", 20, 20, 72, 2);
    Items = CreateAtlasTile("items", 20, 20, 72, 2);
    Player = CreateAtlasTile("player", 20, 20, 8, 2);
    Gems = CreateAtlasTile("gems", 20, 20, 24, 2);
    GoldCoin = CreateAtlasTile("goldcoin", 20, 20, 4, 2);
    Bones = CreateAtlasTile("e_bones", 20, 20, 4, 2);
    Bat = CreateAtlasTile("e_bat", 20, 20, 4, 2);
    ChaseSkull = CreateAtlasTile("e_chase_skull", 20, 20, 3, 2);
    Spider = CreateAtlasTile("e_spider", 20, 20, 3, 2);
    Crab = CreateAtlasTile("e_crab", 20, 20, 3, 2);
    Poof = CreateAtlasTile("poof", 20, 20, 6, 2);
    for (int i = 0; i < 4; ++i)
        Borders[static_cast<std::size_t>(i)] =
            CreateAtlasTile("border" + std::to_string(i + 1), 20, 20, 9, 2);
    Title = CreateAtlasImage("title_gfx", 0);
}

void Image::Reset() {
    gameFont.reset();
    for (auto* strip : {&Font, &Tiles, &Items, &Player, &Gems, &GoldCoin, &Bones, &Bat, &ChaseSkull,
                        &Spider, &Crab, &Poof})
        strip->reset();
    for (auto& b : Borders) b.reset();
    Title.reset();
}
