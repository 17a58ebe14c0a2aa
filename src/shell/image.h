#pragma once
// Every picture of the game, cut once from the atlas at start-up and kept for the whole run.

#include <array>
#include <memory>

#include "toolkit/atlas.h"

class Image {
  public:
    static inline std::unique_ptr<AtlasTile> Font;
    static inline std::unique_ptr<AtlasTile> Tiles;
    static inline std::unique_ptr<AtlasTile> Items;
    static inline std::unique_ptr<AtlasTile> Player;
    static inline std::unique_ptr<AtlasTile> Gems;
    static inline std::unique_ptr<AtlasTile> GoldCoin;
    static inline std::unique_ptr<AtlasTile> Bones;
    static inline std::unique_ptr<AtlasTile> Bat;
    static inline std::unique_ptr<AtlasTile> ChaseSkull;
    static inline std::unique_ptr<AtlasTile> Spider;
    static inline std::unique_ptr<AtlasTile> Crab;
    static inline std::unique_ptr<AtlasTile> Poof;
    // The four stage borders, 3 x 3 pieces each; empty until Load.
    static inline std::array<std::unique_ptr<AtlasTile>, 4> Borders;
    static inline std::unique_ptr<AtlasImage> Title;

    // Reads the atlas into atlasFile, cuts every strip (the added ones too), creates gameFont
    // and the title picture. Needs the display open.
    static void Load();
    // Adds a strip for Load to cut into `slot` (and Reset to drop): the pictures of the enemy
    // kinds, added by start-up before Load. A null slot, or one added already, adds nothing.
    static void AddStrip(std::unique_ptr<AtlasTile>* slot, const char* region, int cell, int frames,
                         int padding);
    // Drops every picture and the font again (tests).
    static void Reset();
};
