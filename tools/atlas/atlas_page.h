#pragma once
// The fixed layout of atlas page 0 and everything built from it: the composed pixels, the text
// description the game parses and the engine's built-in font table.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "atlas_art.h"

struct AtlasRegion {
    const char* name;
    int x, y, width, height;
    int cellWidth, cellHeight;  // the grid the region is cut into
    int pad;                    // transparent border round each frame inside its cell
    int FrameWidth() const { return cellWidth - 2 * pad; }
    int FrameHeight() const { return cellHeight - 2 * pad; }
    int Columns() const { return width / cellWidth; }
    int Frames() const { return Columns() * (height / cellHeight); }
};

inline constexpr int kPageSize = 512;
inline constexpr int kFontStyles = 7;
inline constexpr int kGlyphsPerStyle = 96;  // character codes 32..127

// In the order the description lists them; the game looks regions up by name.
const std::vector<AtlasRegion>& AtlasRegions();
const AtlasRegion* FindRegion(const std::string& name);
std::optional<GridSize> RegionGridSize(const std::string& name);

// How far a glyph of each font style may reach inside its 8 x 8 cell: the game advances the
// pen by this much, so anything further would touch the next character.
struct GlyphLimit {
    int columns, rows;
};
GlyphLimit GlyphLimitOf(int style);

struct Page {
    std::vector<std::uint32_t> rgba = std::vector<std::uint32_t>(kPageSize * kPageSize, 0u);
    std::uint32_t At(int x, int y) const {
        return rgba[static_cast<std::size_t>(y) * kPageSize + x];
    }
};

// Places every frame in its cell. Throws ArtError for a frame given twice, a missing glyph or a
// glyph that is not pure white or spills past its style's limits.
Page ComposePage(const std::vector<ArtFrame>& frames);

// The page is always called atlas0.png: that is the name the game embeds it under, whatever
// file the builder was asked to write.
std::string DescribeAtlas();
// kBuiltinFont[96][8] from font style 0 of the composed page.
std::string BuiltinFontInclude(const Page& page);
