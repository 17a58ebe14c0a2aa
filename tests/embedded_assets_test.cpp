#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/stream.h"
#include "shell/embedded_assets.h"
#include "shell/sfx.h"

namespace {

// Registration order is the order of the game's file table: the atlas, the sounds in the order of
// the sound table's rows, each file once, and the stage file. Only files present are embedded.
std::vector<std::string> Order() {
    std::vector<std::string> order = {"images/atlas0.txt", "images/atlas0.png"};
    for (const SFXSound& s : SFX::Sounds()) {
        const std::string file = std::string("sounds/") + s.file;
        if (std::find(order.begin(), order.end(), file) == order.end()) order.push_back(file);
    }
    order.push_back("stage.dat");
    return order;
}

TEST(EmbeddedAssetsTest, EveryAssetFileIsEmbeddedInOrderWithItsExactBytes) {
    std::vector<std::string> expected;
    for (const std::string& rel : Order())
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
