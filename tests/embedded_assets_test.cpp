#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/stream.h"
#include "shell/embedded_assets.h"

namespace {

// Registration order is the order of the game's file table; only files present are embedded.
const char* const kOrder[] = {"images/atlas0.txt",
                              "images/atlas0.png",
                              "sounds/loading.ogg",
                              "sounds/gem_collect.ogg",
                              "sounds/enemy_poof.ogg",
                              "sounds/coin_bounce.ogg",
                              "sounds/coin_got.ogg",
                              "sounds/player_jump.ogg",
                              "sounds/ui1.ogg",
                              "sounds/ui2.ogg",
                              "sounds/player_die.ogg",
                              "sounds/music_chase.ogg",
                              "sounds/music_track1.ogg",
                              "sounds/music_track2.ogg",
                              "sounds/music_track3.ogg",
                              "sounds/music_title.ogg",
                              "stage.dat"};

TEST(EmbeddedAssetsTest, EveryAssetFileIsEmbeddedInOrderWithItsExactBytes) {
    std::vector<std::string> expected;
    for (const char* rel : kOrder)
        if (std::filesystem::exists(std::string(KESTRUNE_SOURCE_DIR) + "/assets/" + rel))
            expected.push_back(std::string("../assets/") + rel);
    std::vector<std::string> names;
    for (const EmbeddedAsset& a : EmbeddedAssets()) names.push_back(a.name);
    EXPECT_EQ(names, expected);

    ClearIncbins();
    for (const EmbeddedAsset& a : EmbeddedAssets()) {
        ASSERT_EQ(RegisterIncbin(a.name, a.begin, static_cast<std::size_t>(a.end - a.begin)), 1);
        std::vector<std::uint8_t> file, embedded;
        ASSERT_TRUE(LoadBytes(std::string(KESTRUNE_SOURCE_DIR) + "/assets/" + (a.name + 10), file));
        ASSERT_TRUE(LoadBytes(std::string("incbin::") + a.name, embedded));
        EXPECT_EQ(file, embedded) << a.name;
    }
    ClearIncbins();
}

}  // namespace
