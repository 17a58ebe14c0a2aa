// Any atlas description, read as the atlas reader reads it and cut into every picture and strip
// the image registry makes.

#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "toolkit/atlas.h"

namespace {
struct Strip {
    const char* name;
    int cell, count;
};
const Strip kStrips[] = {
    {"bitmapfonts", 12, 672}, {"tiles", 20, 72},   {"items", 20, 72},  {"player", 20, 8},
    {"gems", 20, 24},         {"goldcoin", 20, 4}, {"e_bones", 20, 4}, {"e_bat", 20, 4},
    {"e_chase_skull", 20, 3}, {"e_spider", 20, 3}, {"e_crab", 20, 3},  {"poof", 20, 6},
    {"border1", 20, 9},       {"border2", 20, 9},  {"border3", 20, 9}, {"border4", 20, 9}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    atlasFile = std::make_unique<AtlasFileClass>();
    atlasFile->ParseDescription(LinesOf(data, size), 0);
    for (const Strip& s : kStrips) {
        ArmGameEnd();
        try {
            CreateAtlasTile(s.name, s.cell, s.cell, s.count, 2);
        } catch (const GameEnded&) {
        }
    }
    ArmGameEnd();
    try {
        CreateAtlasImage("title_gfx", 0)->MidHandle();
    } catch (const GameEnded&) {
    }
    atlasFile.reset();
    return 0;
}
