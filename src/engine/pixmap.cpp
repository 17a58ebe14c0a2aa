#include "engine/pixmap.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/stream.h"

TPixmap::TPixmap(int w, int h) : width(w > 0 ? w : 0), height(h > 0 ? h : 0) {
    pitch = width * 4;
    capacity = static_cast<std::size_t>(pitch) * height;
    pixels.assign(capacity, 0);
}

std::uint32_t TPixmap::ReadPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const std::uint8_t* p = Row(y) + x * 4;
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

void TPixmap::WritePixel(int x, int y, std::uint32_t rgba) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* p = Row(y) + x * 4;
    p[0] = static_cast<std::uint8_t>(rgba >> 24);
    p[1] = static_cast<std::uint8_t>(rgba >> 16);
    p[2] = static_cast<std::uint8_t>(rgba >> 8);
    p[3] = static_cast<std::uint8_t>(rgba);
}

namespace {
int NextPow2(int v, int maxSize) {
    int p = 1;
    while (p < v && p < maxSize) p <<= 1;
    return p;
}
}  // namespace

std::unique_ptr<TPixmap> PadToPowerOfTwo(const TPixmap& pixmap, int maxSize) {
    if (pixmap.width <= 0 || pixmap.height <= 0 || maxSize <= 0) return nullptr;
    int tw = NextPow2(pixmap.width, maxSize), th = NextPow2(pixmap.height, maxSize);
    int cw = std::min(pixmap.width, tw), ch = std::min(pixmap.height, th);
    auto out = std::make_unique<TPixmap>(tw, th);
    for (int y = 0; y < ch; ++y)
        std::memcpy(out->Row(y), pixmap.Row(y), static_cast<std::size_t>(cw) * 4);
    if (cw < tw)
        for (int y = 0; y < ch; ++y)
            std::memcpy(out->Row(y) + cw * 4, out->Row(y) + (cw - 1) * 4, 4);
    if (ch < th)
        std::memcpy(out->Row(ch), out->Row(ch - 1),
                    static_cast<std::size_t>(std::min(cw + 1, tw)) * 4);
    out->hasAlpha = pixmap.hasAlpha;
    return out;
}

std::unique_ptr<TPixmap> LoadPixmap(const std::string& url) {
    TByteSource bytes;
    if (!OpenBytes(url, bytes)) return nullptr;
    std::string why;
    std::unique_ptr<TPixmap> pixmap = DecodePNG(bytes.data, bytes.size, &why);
    if (!pixmap)
        std::fprintf(stderr, "The picture \"%s\" was refused: %s.\n", url.c_str(), why.c_str());
    return pixmap;
}

bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixmap.width);
    image.height = static_cast<png_uint_32>(pixmap.height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, pixmap.pixels.data(), pixmap.pitch,
                                   nullptr) != 0;
}
