#pragma once
// The game's fixed-pitch pixel font: seven styles of 96 glyphs (codes 32 to 127) cut from the
// atlas, laid out left-aligned, centred or right-aligned about a point.

#include <array>
#include <memory>
#include <string>

class AtlasTile;

class TBitMapFont {
  public:
    static constexpr int ALIGN_LEFT = -1;
    static constexpr int ALIGN_CENTER = 0;
    static constexpr int ALIGN_RIGHT = 1;

    AtlasTile* font = nullptr;
    std::array<int, 7> widths = {8, 7, 8, 8, 8, 7, 6};
    std::array<int, 7> heights = {8, 8, 8, 8, 8, 8, 6};
    int fntStyle = 0;

    // Takes the glyph strip (shared, not owned).
    explicit TBitMapFont(AtlasTile* glyphs) : font(glyphs) {}
    // The glyph strip of all seven styles as it lies in the atlas's "bitmapfonts" region: 8 x 8
    // glyphs in 12-pixel cells. Needs atlasFile read; a font can be had without the game's other
    // pictures.
    static std::unique_ptr<AtlasTile> CutGlyphs();
    virtual ~TBitMapFont() = default;
    // In the current style and colour; y is the top of the glyphs.
    virtual void Draw(const std::string& text, int x, int y, int align);
    // The text's width in pixels in the current style.
    virtual int Width(const std::string& text);
    // A line's height in pixels in the current style.
    virtual int Height();
    // Ends the program for a style outside 0..6.
    virtual void SetStyle(int style);
};

extern std::unique_ptr<TBitMapFont> gameFont;
