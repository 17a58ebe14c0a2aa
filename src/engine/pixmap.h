#pragma once
// Pixel buffers and PNG decoding.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// 32-bit RGBA pixels, rows top to bottom, pitch in bytes.
class TPixmap {
  public:
    static constexpr int PF_RGBA8888 = 1;

    TPixmap(int width, int height);
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int format = PF_RGBA8888;
    std::size_t capacity = 0;
    // False for pictures that came without an alpha channel: only those take a mask colour.
    bool hasAlpha = true;

    // Packed as 0xRRGGBBAA; out-of-range coordinates read 0 and ignore writes.
    std::uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, std::uint32_t rgba);
    const std::uint8_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * pitch;
    }
    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * pitch; }
};

// The pixels copied into the top-left of a canvas whose sides are powers of two (at most
// maxSize); where the canvas is larger, the right-most column and the bottom row are repeated once
// beyond the edge, so that filtering at the picture's border does not pull in blank texels.
std::unique_ptr<TPixmap> PadToPowerOfTwo(const TPixmap& pixmap, int maxSize);

// Decodes a PNG from an embedded-file URL or a path into RGBA; null when unreadable or not a PNG,
// with the reason a decodable source was refused on stderr.
std::unique_ptr<TPixmap> LoadPixmap(const std::string& url);
// Decodes PNG bytes into 8-bit sRGB RGBA: a file with a gAMA chunk (and no sRGB chunk) is
// converted from its gamma, any other file is taken as sRGB already. Null when the bytes are not a
// PNG the game can hold; then *why, when given, says what libpng or the size checks refused.
std::unique_ptr<TPixmap> DecodePNG(const std::uint8_t* data, std::size_t size,
                                   std::string* why = nullptr);
// Encodes RGBA pixels as a PNG file; false on failure.
bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path);
