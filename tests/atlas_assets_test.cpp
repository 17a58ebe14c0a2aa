// The committed atlas must be exactly what tools/atlas builds from its art, and the art must keep
// the promises the game relies on: cell padding, white tintable fonts within their advance, death
// blocks that only show where they hurt, and no missing frames.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pixmap.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kRoot = KESTRUNE_SOURCE_DIR;
const std::string kPng = kRoot + "/assets/images/atlas0.png";
const std::string kTxt = kRoot + "/assets/images/atlas0.txt";
const std::string kFontInc = kRoot + "/src/engine/builtin_font.inc";
const std::string kArt = kRoot + "/tools/atlas/art";

struct Region {
    const char* name;
    int x, y, w, h;
};
// The game looks these up by name; positions and order are fixed.
const Region kRegions[] = {
    {"border3", 2, 396, 60, 60},     {"e_chase_skull", 2, 458, 60, 20},
    {"bitmapfonts", 2, 2, 384, 252}, {"title_gfx", 244, 274, 256, 104},
    {"tiles", 244, 380, 240, 120},   {"e_crab", 2, 480, 60, 20},
    {"player", 64, 396, 160, 20},    {"goldcoin", 388, 190, 80, 20},
    {"e_bat", 388, 146, 80, 20},     {"border1", 388, 212, 60, 60},
    {"e_spider", 64, 480, 60, 20},   {"poof", 388, 2, 120, 20},
    {"gems", 388, 24, 80, 120},      {"border4", 64, 418, 60, 60},
    {"e_bones", 388, 168, 80, 20},   {"border2", 450, 212, 60, 60},
    {"items", 2, 274, 240, 120},
};

const Region& RegionNamed(const std::string& name) {
    for (const auto& r : kRegions)
        if (name == r.name) return r;
    throw std::runtime_error("no region " + name);
}

const TPixmap& Atlas() {
    static std::unique_ptr<TPixmap> pixmap = LoadPixmap(kPng);
    if (!pixmap) throw std::runtime_error("cannot decode " + kPng);
    return *pixmap;
}

bool Opaque(std::uint32_t rgba) {
    return (rgba & 0xFFu) != 0;
}

// Calls f(x, y) for each page pixel of the 16 x 16 (or 8 x 8 glyph) picture of one frame.
struct Cell {
    int left, top, size;
};
Cell FrameCell(const Region& r, int frame, int cell = 20, int pad = 2) {
    int columns = r.w / cell;
    return {r.x + (frame % columns) * cell + pad, r.y + (frame / columns) * cell + pad,
            cell - 2 * pad};
}
Cell GlyphCell(int style, int code) {
    return FrameCell(RegionNamed("bitmapfonts"), code - 32 + 96 * style, 12);
}

int OpaqueCount(const Cell& c) {
    int n = 0;
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) n += Opaque(Atlas().ReadPixel(c.left + x, c.top + y));
    return n;
}

// Runs the builder on an art folder into `dir`; returns the exit status.
int RunBuilder(const std::string& art, const TempDir& dir) {
    std::string cmd = std::string("\"") + ATLAS_BUILDER_EXE + "\" --art \"" + art + "\" --png \"" +
                      dir.File("atlas0.png") + "\" --txt \"" + dir.File("atlas0.txt") +
                      "\" --font-inc \"" + dir.File("builtin_font.inc") + "\" --icons \"" +
                      dir.Path() + "\" 2>\"" + dir.File("stderr.txt") + "\"";
    return std::system(cmd.c_str());
}

}  // namespace

TEST(AtlasBuild, CommittedFilesAreWhatTheArtBuilds) {
    TempDir dir;
    ASSERT_EQ(RunBuilder(kArt, dir), 0) << Slurp(dir.File("stderr.txt"));
    EXPECT_TRUE(Slurp(dir.File("atlas0.png")) == Slurp(kPng))
        << "run: cmake --build build --target atlas";
    EXPECT_EQ(Slurp(dir.File("atlas0.txt")), Slurp(kTxt));
    EXPECT_EQ(Slurp(dir.File("builtin_font.inc")), Slurp(kFontInc));
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string name = "kestrune-" + std::to_string(size) + ".png";
        EXPECT_TRUE(Slurp(dir.File(name)) == Slurp(kRoot + "/packaging/icons/" + name)) << name;
        auto icon = LoadPixmap(dir.File(name));
        ASSERT_NE(icon, nullptr) << name;
        EXPECT_EQ(icon->width, size);
        EXPECT_EQ(icon->height, size);
    }
}

TEST(AtlasBuild, RejectsMalformedArt) {
    struct Case {
        const char* what;
        const char* file;
        std::string from, to;
    };
    const std::vector<Case> cases = {
        {"unknown palette character", "player.txt", "\nframe 0 stand / walk 1\n................\n",
         "\nframe 0 stand / walk 1\n...............@\n"},
        {"short row", "player.txt", "\nframe 0 stand / walk 1\n................\n",
         "\nframe 0 stand / walk 1\n...............\n"},
        {"frame outside its region", "player.txt", "\nframe 7 ", "\nframe 8 "},
        {"frame given twice", "player.txt", "\nframe 7 ", "\nframe 6 "},
        {"unknown region", "player.txt", "region player\n", "region players\n"},
        {"grid with an extra row", "goldcoin.txt", "\nframe 1 ", "\n................\nframe 1 "},
        {"glyph code beyond 127", "font_style3.txt", "\nglyph 65 A\n", "\nglyph 200 A\n"},
        {"coloured glyph", "font_style0.txt", "\nglyph 32 space\n........\n",
         "\nglyph 32 space\n.......r\n"},
        {"small glyph spilling past 6 x 6", "font_style6.txt", "\nglyph 32 space\n........\n",
         "\nglyph 32 space\n......#.\n"},
        {"7-pixel glyph spilling into column 8", "font_style5.txt", "\nglyph 32 space\n........\n",
         "\nglyph 32 space\n.......#\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::string art = dir.File("art");
        fs::copy(kArt, art);
        std::string text = Slurp(art + "/" + c.file);
        auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        std::ofstream(art + "/" + c.file, std::ios::binary | std::ios::trunc) << text;
        EXPECT_NE(RunBuilder(art, dir), 0);
        EXPECT_NE(Slurp(dir.File("stderr.txt")).find("atlas_builder:"), std::string::npos);
    }
}

TEST(AtlasDescription, ListsEveryRegionInOrderAtItsPlace) {
    std::string txt = Slurp(kTxt);
    EXPECT_EQ(txt.size(), 1699u);
    EXPECT_EQ(txt.find('\r'), std::string::npos);
    EXPECT_EQ(txt.find("\n\n"), std::string::npos);
    std::string expected = "atlas0.png\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n";
    for (const auto& r : kRegions) {
        std::ostringstream s;
        s << r.name << "\n  rotate: false\n  xy: " << r.x << ", " << r.y << "\n  size: " << r.w
          << ", " << r.h << "\n  orig: " << r.w << ", " << r.h << "\n  offset: 0, 0\n  index: -1\n";
        expected += s.str();
    }
    EXPECT_EQ(txt, expected);
}

TEST(AtlasPage, IsA512SquareWithTransparentPaddingEverywhere) {
    const TPixmap& page = Atlas();
    ASSERT_EQ(page.width, 512);
    ASSERT_EQ(page.height, 512);
    // Linear filtering samples neighbours, so anything outside a frame must stay clear.
    for (const auto& r : kRegions) {
        if (std::string(r.name) == "title_gfx") continue;
        int cell = std::string(r.name) == "bitmapfonts" ? 12 : 20;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                int cx = x % cell, cy = y % cell;
                bool padding = cx < 2 || cy < 2 || cx >= cell - 2 || cy >= cell - 2;
                if (padding && Opaque(page.ReadPixel(r.x + x, r.y + y)))
                    ADD_FAILURE() << r.name << " padding pixel at " << x << "," << y
                                  << " is not clear";
            }
    }
    // The page outside every region is clear too.
    int stray = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            bool inside = false;
            for (const auto& r : kRegions)
                inside |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
            stray += !inside && Opaque(page.ReadPixel(x, y));
        }
    EXPECT_EQ(stray, 0);
}

TEST(AtlasFont, GlyphsAreWhiteDrawnAndWithinTheirAdvance) {
    for (int style = 0; style < 7; ++style) {
        int maxColumns = style == 6 ? 6 : (style == 1 || style == 5) ? 7 : 8;
        int maxRows = style == 6 ? 6 : 8;
        for (int code = 32; code < 128; ++code) {
            Cell c = GlyphCell(style, code);
            int drawn = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    std::uint32_t p = Atlas().ReadPixel(c.left + x, c.top + y);
                    if (!Opaque(p)) continue;
                    ++drawn;
                    if (p != 0xFFFFFFFFu)
                        ADD_FAILURE()
                            << "style " << style << " code " << code << " is not pure white";
                    if (x >= maxColumns || y >= maxRows)
                        ADD_FAILURE() << "style " << style << " code " << code << " reaches " << x
                                      << "," << y;
                }
            if (code == 32)
                EXPECT_EQ(drawn, 0) << "style " << style << " space";
            else
                EXPECT_GT(drawn, 0) << "style " << style << " code " << code;
        }
        // An 8-pixel advance face still needs a blank column or letters run together.
        if (style == 0)
            for (int code = 33; code < 127; ++code) {
                Cell c = GlyphCell(0, code);
                bool leftUsed = false, rightUsed = false;
                for (int y = 0; y < 8; ++y) {
                    leftUsed |= Opaque(Atlas().ReadPixel(c.left, c.top + y));
                    rightUsed |= Opaque(Atlas().ReadPixel(c.left + 7, c.top + y));
                }
                EXPECT_FALSE(leftUsed && rightUsed) << "style 0 code " << code;
            }
    }
}

TEST(AtlasFont, BuiltinFontMatchesStyleZero) {
    std::string inc = Slurp(kFontInc);
    ASSERT_EQ(inc.rfind("//", 0), 0u) << "starts with the generated-file comment";
    auto decl = inc.find("static constexpr unsigned char kBuiltinFont[96][8] = {");
    ASSERT_NE(decl, std::string::npos);
    // Drop the comments, then read the numbers in order.
    std::string body;
    std::istringstream lines(inc.substr(decl + 50));
    for (std::string line; std::getline(lines, line);)
        body += line.substr(0, line.find("//")) + "\n";
    std::vector<unsigned> values;
    for (std::size_t i = 0; i < body.size();) {
        bool wordBefore =
            i > 0 && (std::isalnum(static_cast<unsigned char>(body[i - 1])) || body[i - 1] == '_');
        if (!std::isdigit(static_cast<unsigned char>(body[i])) || wordBefore) {
            ++i;
            continue;
        }
        std::size_t used = 0;
        values.push_back(static_cast<unsigned>(std::stoul(body.substr(i), &used, 0)));
        i += used;
    }
    ASSERT_EQ(values.size(), 96u * 8u);
    for (int g = 0; g < 96; ++g) {
        Cell c = GlyphCell(0, g + 32);
        for (int y = 0; y < 8; ++y) {
            unsigned bits = 0;
            for (int x = 0; x < 8; ++x)
                if (Opaque(Atlas().ReadPixel(c.left + x, c.top + y))) bits |= 0x80u >> x;
            EXPECT_EQ(values[g * 8 + y], bits) << "code " << g + 32 << " row " << y;
        }
    }
}

TEST(AtlasSprites, DeathBlocksOnlyShowWhereTheyHurt) {
    struct Area {
        int frame, x0, y0, x1, y1;  // inclusive
    };
    const Area areas[] = {{12, 2, 2, 13, 13},
                          {13, 0, 6, 15, 15},
                          {14, 0, 0, 15, 9},
                          {15, 0, 0, 9, 15},
                          {16, 6, 0, 15, 15}};
    for (const auto& a : areas) {
        Cell c = FrameCell(RegionNamed("items"), a.frame);
        int inside = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                if (!Opaque(Atlas().ReadPixel(c.left + x, c.top + y))) continue;
                bool ok = x >= a.x0 && x <= a.x1 && y >= a.y0 && y <= a.y1;
                inside += ok;
                if (!ok)
                    ADD_FAILURE() << "death block " << a.frame << " shows at " << x << "," << y;
            }
        // A few pixels would not tell the player anything.
        EXPECT_GT(inside, 40) << "death block " << a.frame;
    }
}

TEST(AtlasSprites, EveryFrameTheGameDrawsHasAPicture) {
    struct Used {
        const char* region;
        int frames;
    };
    const Used used[] = {{"tiles", 72},        {"player", 8}, {"gems", 24},   {"goldcoin", 4},
                         {"e_bones", 4},       {"e_bat", 4},  {"e_crab", 3},  {"e_spider", 3},
                         {"e_chase_skull", 3}, {"poof", 6},   {"border1", 9}, {"border2", 9},
                         {"border3", 9},       {"border4", 9}};
    for (const auto& u : used)
        for (int f = 0; f < u.frames; ++f) {
            if (std::string(u.region).rfind("border", 0) == 0 && f == 4) continue;  // centre
            EXPECT_GT(OpaqueCount(FrameCell(RegionNamed(u.region), f)), 0) << u.region << " " << f;
        }
    // Solid blocks are fully drawn across their standing area.
    for (int f = 0; f < 60; ++f) {
        Cell c = FrameCell(RegionNamed("tiles"), f);
        int top = 0;
        for (int x = 1; x < 15; ++x) top += Opaque(Atlas().ReadPixel(c.left + x, c.top + 1));
        EXPECT_EQ(top, 14) << "tile " << f << " has holes in its top surface";
    }
    const Region& t = RegionNamed("title_gfx");
    int title = 0;
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) title += Opaque(Atlas().ReadPixel(t.x + x, t.y + y));
    EXPECT_GT(title, t.w * t.h / 2);
}

TEST(AtlasSprites, BorderEdgesTileSeamlessly) {
    // A repeated edge piece meets itself: whatever shows in its first column must show in its
    // last (rows for the side pieces), or the ring gets notches at every joint.
    for (const char* name : {"border1", "border2", "border3", "border4"}) {
        const Region& r = RegionNamed(name);
        Cell top = FrameCell(r, 1), left = FrameCell(r, 3);
        int topSeam = 0, leftSeam = 0;
        for (int i = 0; i < 16; ++i) {
            topSeam += Opaque(Atlas().ReadPixel(top.left, top.top + i)) !=
                       Opaque(Atlas().ReadPixel(top.left + 15, top.top + i));
            leftSeam += Opaque(Atlas().ReadPixel(left.left + i, left.top)) !=
                        Opaque(Atlas().ReadPixel(left.left + i, left.top + 15));
        }
        EXPECT_EQ(topSeam, 0) << name << " top edge leaves gaps when repeated";
        EXPECT_EQ(leftSeam, 0) << name << " left edge leaves gaps when repeated";
    }
}
