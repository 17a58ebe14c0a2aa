#pragma once
// Engine-internal: the OpenGL driver's pictures, each a texture with masks of its see-through
// texels.

#include <epoxy/gl.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/render2d_driver.h"

// The generation of the context that is alive now; 0 when none is. Frames of other generations
// belong to a context that is gone, and so are their textures.
int& LiveTextureGeneration();

// 64-bit words for a row of `width` bits.
inline std::size_t WordsPerRow(int width) {
    return (std::size_t(width) + 63) / 64;
}

class TGLImageFrame : public TImageFrame {
  public:
    ~TGLImageFrame() override {
        if (name != 0 && seq == LiveTextureGeneration()) glDeleteTextures(1, &name);
    }
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    float uscale = 1, vscale = 1;
    GLuint name = 0;
    int seq = 0;
    // One bit a texel, row after row: whether it is not fully opaque (clearBits) and whether it
    // shows at all (seenBits); empty for filtered textures, whose samples reach past a
    // rectangle. A bit a texel rather than a count a texel: a 512 x 512 page takes 64 KB, not 2 MB.
    std::vector<std::uint64_t> clearBits;
    std::vector<std::uint64_t> seenBits;
    int texW = 0, texH = 0;

    // Whether every texel of the rectangle is fully opaque.
    bool Opaque(float sx, float sy, float sw, float sh) const {
        if (!Whole(sx, sy, sw, sh)) return false;
        const auto x0 = std::size_t(sx), y0 = std::size_t(sy);
        return Count(clearBits, x0, y0, x0 + std::size_t(sw), y0 + std::size_t(sh)) == 0;
    }
    // Shrinks the rectangle to the texels in it that show (alpha above 0); false when none
    // does. A rectangle the tables cannot answer for is left as it is.
    bool Trim(float& sx, float& sy, float& sw, float& sh) const {
        if (!Whole(sx, sy, sw, sh)) return true;
        std::size_t x0 = std::size_t(sx), y0 = std::size_t(sy);
        std::size_t x1 = x0 + std::size_t(sw), y1 = y0 + std::size_t(sh);
        if (Count(seenBits, x0, y0, x1, y1) == 0) return false;
        // Each side moves in while the row or column it passes shows nothing.
        x0 = Narrow(x0, x1, [&](std::size_t c) { return Count(seenBits, x0, y0, c, y1); });
        x1 = Widen(x0, x1, [&](std::size_t c) { return Count(seenBits, c, y0, x1, y1); });
        y0 = Narrow(y0, y1, [&](std::size_t r) { return Count(seenBits, x0, y0, x1, r); });
        y1 = Widen(y0, y1, [&](std::size_t r) { return Count(seenBits, x0, r, x1, y1); });
        sx = float(x0);
        sy = float(y0);
        sw = float(x1 - x0);
        sh = float(y1 - y0);
        return true;
    }

  private:
    // A rectangle of whole texels inside the texture, with masks to look it up in.
    bool Whole(float sx, float sy, float sw, float sh) const {
        return !clearBits.empty() && sw > 0 && sh > 0 && sx == std::floor(sx) &&
               sy == std::floor(sy) && sw == std::floor(sw) && sh == std::floor(sh) && sx >= 0 &&
               sy >= 0 && sx + sw <= float(texW) && sy + sh <= float(texH);
    }
    // The set bits of the texels [x0, x1) x [y0, y1).
    std::size_t Count(const std::vector<std::uint64_t>& bits, std::size_t x0, std::size_t y0,
                      std::size_t x1, std::size_t y1) const {
        if (x0 >= x1) return 0;
        const std::size_t words = WordsPerRow(texW);
        std::size_t count = 0;
        for (std::size_t y = y0; y < y1; ++y)
            for (std::size_t w = x0 / 64; w <= (x1 - 1) / 64; ++w) {
                std::uint64_t word = bits[y * words + w];
                if (w == x0 / 64) word &= ~std::uint64_t{0} << (x0 % 64);
                if (w == (x1 - 1) / 64 && x1 % 64 != 0) word &= ~(~std::uint64_t{0} << (x1 % 64));
                count += std::size_t(std::popcount(word));
            }
        return count;
    }
    // The last `to` in [lo, hi] whose part [lo, to) counts nothing, for counts growing with `to`.
    template <class F>
    static std::size_t Narrow(std::size_t lo, std::size_t hi, F countBefore) {
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo + 1) / 2;
            if (countBefore(mid) == 0) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        return lo;
    }
    // The first `from` in [lo, hi] whose part [from, hi) counts nothing, for counts shrinking
    // with `from`.
    template <class F>
    static std::size_t Widen(std::size_t lo, std::size_t hi, F countFrom) {
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (countFrom(mid) == 0) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return hi;
    }
};
