#include "toolkit/bitmap_font.h"

#include "engine/system.h"
#include "toolkit/atlas.h"

std::unique_ptr<TBitMapFont> gameFont;

namespace {
constexpr int kGlyphsPerStyle = 96;
constexpr int kStyles = 7;
constexpr int kCellPx = 12;
constexpr int kPaddingPx = 2;
}  // namespace

std::unique_ptr<AtlasTile> TBitMapFont::CutGlyphs() {
    return CreateAtlasTile("bitmapfonts", kCellPx, kCellPx, kStyles * kGlyphsPerStyle, kPaddingPx);
}

void TBitMapFont::Draw(const std::string& text, int x, int y, int align) {
    const int a = widths[static_cast<std::size_t>(fntStyle)];
    const int n = static_cast<int>(text.size());
    int shift = 0;
    if (align == ALIGN_CENTER)
        shift = n * a / 2;
    else if (align == ALIGN_RIGHT)
        shift = n * a;
    for (int i = 0; i < n; ++i) {
        int c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        // Anything outside the glyph range still takes its place.
        if (c < 32 || c > 127 || !font) continue;
        font->Render(float(x + i * a - shift), float(y), (c - 32) + kGlyphsPerStyle * fntStyle, 0,
                     1, 1);
    }
}

int TBitMapFont::Width(const std::string& text) {
    const int a = widths[static_cast<std::size_t>(fntStyle)];
    return text.empty() ? a : static_cast<int>(text.size()) * a;
}

int TBitMapFont::Height() {
    return heights[static_cast<std::size_t>(fntStyle)];
}

void TBitMapFont::SetStyle(int style) {
    if (style < 0 || style > 6) {
        Notify("BitMapFont.SetStyle - Error! - styles valid between 0-6", 0);
        End();
    }
    fntStyle = style;
}
