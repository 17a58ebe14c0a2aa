// Compares the game's PNG decoder with a reference decoder's 8-bit RGBA of the same file.
//   png_compare FILE.png [REFERENCE.rgba WIDTH HEIGHT]
// The reference is 16-bit little-endian RGBA; 8-bit sources come as v * 257.
// Prints one word and details: "identical"; "gamma" when the only differences are the conversion
// of a file with a gAMA chunk to sRGB; "differs"; or "refused" with the decoder's reason. Without
// a reference it prints "decoded" or "refused".
//   png_compare --raw FILE.png OUT.png
// Writes the file without its colour-space chunks (gAMA, sRGB, cHRM, iCCP), so that a reference
// decoder gives the file's own values; the comparison converts those itself, as libpng documents
// (linear light from the file's gamma, then a 2.2 power), within the reference's own rounding.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/pixmap.h"
#include "engine/stream.h"

namespace {
std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// The exponent that takes the file's values to sRGB: 1 without gAMA, with sRGB, or when the
// correction is under 5% (libpng's threshold).
double ExponentOf(const std::vector<std::uint8_t>& png) {
    double gamma = 0;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = Be32(&png[at]);
        const char* type = reinterpret_cast<const char*>(&png[at + 4]);
        if (std::memcmp(type, "sRGB", 4) == 0 || std::memcmp(type, "IDAT", 4) == 0) break;
        if (std::memcmp(type, "gAMA", 4) == 0 && length == 4 && at + 12 <= png.size())
            gamma = Be32(&png[at + 8]) / 100000.0;
        if (length > png.size()) break;
        at += 12 + std::size_t{length};
    }
    if (gamma <= 0) return 1;
    const double exponent = 0.45455 / gamma;
    return std::fabs(exponent - 1) < 0.05 ? 1 : exponent;
}

// The reference's 16-bit value as 8 bits: exactly rounded, or gamma-converted first.
double Expected(unsigned ref, double exponent) {
    return exponent == 1 ? double((ref * 255 + 32767) / 65535)
                         : 255 * std::pow(ref / 65535.0, exponent);
}
int WriteRaw(const char* in, const char* out) {
    std::vector<std::uint8_t> png;
    if (!LoadBytes(in, png) || png.size() < 8) return 1;
    std::vector<std::uint8_t> raw(png.begin(), png.begin() + 8);
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = Be32(&png[at]);
        const std::size_t end = std::min(png.size(), at + 12 + length);
        const char* type = reinterpret_cast<const char*>(&png[at + 4]);
        bool colourSpace = false;
        for (const char* drop : {"gAMA", "sRGB", "cHRM", "iCCP"})
            colourSpace = colourSpace || std::memcmp(type, drop, 4) == 0;
        if (!colourSpace) raw.insert(raw.end(), png.begin() + long(at), png.begin() + long(end));
        at = end;
    }
    FILE* f = std::fopen(out, "wb");
    const bool written = f && std::fwrite(raw.data(), 1, raw.size(), f) == raw.size();
    return (f && std::fclose(f) == 0 && written) ? 0 : 1;
}

// ref holds 16-bit little-endian RGBA. A converted colour may be off by one: libpng computes
// its gamma tables in fixed point.
int Compare(const TPixmap& got, const std::vector<std::uint8_t>& ref, double exponent) {
    int converted = 0, wrong = 0;
    double worst = 0;
    for (std::size_t i = 0; i < got.pixels.size(); ++i) {
        const unsigned r = ref[2 * i] | (unsigned{ref[2 * i + 1]} << 8);
        const double want = Expected(r, i % 4 == 3 ? 1 : exponent);
        const double off = std::fabs(got.pixels[i] - want);
        if (std::lround(want) == got.pixels[i]) {
            continue;
        } else if (i % 4 != 3 && exponent != 1 && off <= 1.5) {
            ++converted;
        } else {
            ++wrong;
            worst = std::max(worst, off);
        }
    }
    if (wrong > 0)
        std::printf("differs: %d of %zu values, by up to %.1f\n", wrong, got.pixels.size(), worst);
    else if (exponent != 1)
        std::printf("gamma: converted with exponent %.3f, %d values off by one\n", exponent,
                    converted);
    else
        std::printf("identical\n");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--raw") == 0) return WriteRaw(argv[2], argv[3]);
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: png_compare FILE.png [REFERENCE.rgba WIDTH HEIGHT]\n");
        return 2;
    }
    std::vector<std::uint8_t> png, ref;
    if (!LoadBytes(argv[1], png)) {
        std::printf("missing: %s\n", argv[1]);
        return 1;
    }
    std::string why;
    std::unique_ptr<TPixmap> got = DecodePNG(png.data(), png.size(), &why);
    if (!got) {
        std::printf("refused: %s\n", why.empty() ? "(no reason given)" : why.c_str());
        return 0;
    }
    if (argc == 2) {
        std::printf("decoded: %d x %d\n", got->width, got->height);
        return 0;
    }
    const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
    if (!LoadBytes(argv[2], ref) || w != got->width || h != got->height ||
        ref.size() != 2 * got->pixels.size()) {
        std::printf("differs: %d x %d against the reference's %d x %d\n", got->width, got->height,
                    w, h);
        return 0;
    }
    return Compare(*got, ref, ExponentOf(png));
}
