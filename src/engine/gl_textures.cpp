#include "engine/gl_textures.h"

#include <cstring>

#include "engine/gl_batch.h"

int& LiveTextureGeneration() {
    static int generation = 0;
    return generation;
}

namespace {
// A bit for each texel that `picks` by its alpha, row after row.
template <class Pick>
std::vector<std::uint64_t> AlphaBits(const TPixmap& p, Pick picks) {
    const std::size_t words = WordsPerRow(p.width);
    std::vector<std::uint64_t> bits(words * std::size_t(p.height), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (picks(p.Row(y)[x * 4 + 3]))
                bits[std::size_t(y) * words + std::size_t(x) / 64] |= std::uint64_t{1} << (x % 64);
    return bits;
}
}  // namespace

std::unique_ptr<TImageFrame> TGLRender2DDriver::CreateFrameFromPixmap(const TPixmap& pixmap,
                                                                      int flags) {
    TGLState& d = *impl_;
    if (!d.Live() || pixmap.width <= 0 || pixmap.height <= 0) return nullptr;
    d.Flush();
    std::unique_ptr<TPixmap> canvas = PadToPowerOfTwo(pixmap, d.maxTexture);
    if (!canvas) return nullptr;
    const int tw = canvas->width, th = canvas->height;
    const int cw = std::min(pixmap.width, tw), ch = std::min(pixmap.height, th);
    auto frame = std::make_unique<TGLImageFrame>();
    glGenTextures(1, &frame->name);
    glBindTexture(GL_TEXTURE_2D, frame->name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 canvas->pixels.data());
    bool filtered = (flags & FILTEREDIMAGE) != 0;
    bool mipmapped = (flags & MIPMAPPEDIMAGE) != 0;
    GLint mag = filtered ? GL_LINEAR : GL_NEAREST;
    GLint min = mipmapped ? (filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST) : mag;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (mipmapped) glGenerateMipmap(GL_TEXTURE_2D);
    frame->uscale = 1.0f / float(tw);
    frame->vscale = 1.0f / float(th);
    frame->u1 = float(cw) * frame->uscale;
    frame->v1 = float(ch) * frame->vscale;
    frame->seq = d.generation;
    frame->texW = tw;
    frame->texH = th;
    if (!filtered && !mipmapped) {
        frame->clearBits = AlphaBits(*canvas, [](std::uint8_t a) { return a != 255; });
        frame->seenBits = AlphaBits(*canvas, [](std::uint8_t a) { return a != 0; });
    }
    return frame;
}

std::unique_ptr<TPixmap> TGLRender2DDriver::GrabPixmap(int x, int y, int width, int height) {
    TGLState& d = *impl_;
    if (!d.Live() || width <= 0 || height <= 0) return nullptr;
    d.Flush();
    auto pixmap = std::make_unique<TPixmap>(width, height);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(x, d.drawableH - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 rows.data());
    // OpenGL counts rows from the bottom.
    for (int row = 0; row < height; ++row)
        std::memcpy(pixmap->Row(row),
                    rows.data() + static_cast<std::size_t>(height - 1 - row) * width * 4,
                    static_cast<std::size_t>(width) * 4);
    return pixmap;
}
