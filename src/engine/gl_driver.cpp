#include "engine/gl_driver.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/render2d.h"
#include "engine/sdl_platform.h"
#include "engine/system.h"

namespace {
// The generation of the context that is alive now; 0 when none is. Frames of other generations
// belong to a context that is gone, and so are their textures.
int g_liveGeneration = 0;

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aUV;
layout(location = 2) in vec4 aColor;
layout(location = 3) in float aTextured;
uniform vec2 uResolution;
noperspective out vec2 vUV;
noperspective out vec4 vColor;
noperspective out float vTextured;
void main() {
    vec2 p = aPos / uResolution * 2.0 - 1.0;
    gl_Position = vec4(p.x, -p.y, 0.0, 1.0);
    vUV = aUV;
    vColor = aColor;
    vTextured = aTextured;
}
)";

// The software rasterizer pays per pixel for every texture read, every multiply and for alpha
// testing, even where they change nothing, so each run of triangles is drawn with the cheapest
// shader that covers it: colour only, the bare texture (white and opaque, the usual sprite), or
// the texture tinted; alpha testing only for the mask blend. Interpolation is linear in
// screen space, which is exact for 2D drawing (w is always 1) and cheaper than perspective.
constexpr const char* kColorFragmentShader = R"(#version 330 core
noperspective in vec4 vColor;
out vec4 fragColor;
void main() {
    fragColor = vColor;
}
)";

constexpr const char* kTextureFragmentShader = R"(#version 330 core
noperspective in vec2 vUV;
noperspective in vec4 vColor;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
    fragColor = texture(uTexture, vUV) * vColor;
}
)";

constexpr const char* kCopyFragmentShader = R"(#version 330 core
noperspective in vec2 vUV;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
    fragColor = texture(uTexture, vUV);
}
)";

constexpr const char* kMaskFragmentShader = R"(#version 330 core
noperspective in vec2 vUV;
noperspective in vec4 vColor;
noperspective in float vTextured;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
    vec4 c = vColor * mix(vec4(1.0), texture(uTexture, vUV), vTextured);
    if (c.a < 0.5) discard;
    fragColor = c;
}
)";

struct Program {
    GLuint name = 0;
    GLint uResolution = -1;
};

struct Vertex {
    float x, y, u, v;
    std::uint8_t r, g, b, a;
    float textured;
};

class TGLGraphics : public TGraphics {
  public:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

// 64-bit words for a row of `width` bits.
std::size_t WordsPerRow(int width) {
    return (std::size_t(width) + 63) / 64;
}

class TGLImageFrame : public TImageFrame {
  public:
    ~TGLImageFrame() override {
        if (name != 0 && seq == g_liveGeneration) glDeleteTextures(1, &name);
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

GLuint Compile(GLenum type, const char* source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader compile failed: %s\n", log);
    }
    return s;
}
Program Link(const char* vertex, const char* fragment) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertex);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment);
    Program p;
    p.name = glCreateProgram();
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    p.uResolution = glGetUniformLocation(p.name, "uResolution");
    glUseProgram(p.name);
    glUniform1i(glGetUniformLocation(p.name, "uTexture"), 0);
    return p;
}
}  // namespace

struct TGLRender2DDriver::Impl {
    TGLGraphics* current = nullptr;
    int generation = 0;
    Program colored, textured, copied, masked;
    GLuint vao = 0, vbo = 0, white = 0;
    int maxTexture = 2048;
    int drawableW = 0, drawableH = 0;

    std::vector<Vertex> batch;
    std::vector<Vertex> unblended, blended;  // a run split by Partition, kept for their capacity
    GLuint batchTexture = 0;
    // Thin slanted lines go out as GL_LINES; level and upright ones are drawn as quads.
    GLenum batchMode = GL_TRIANGLES;
    bool batchTextured = false, batchColored = false;
    bool batchTinted = false;  // some vertex is not opaque white
    // Each primitive of the run, and whether it covers its pixels completely (no blending
    // needed): opaque vertices, and for pictures only opaque texels.
    struct Piece {
        std::size_t first, count;
        bool opaque;
    };
    std::vector<Piece> pieces;
    std::size_t pieceStart = 0;
    bool pieceOpaque = true;
    bool batching = true;
    long long frameCalls = 0, lastFrameCalls = 0, totalCalls = 0;
    int swapInterval = -2;
    bool vsyncAccepted = false;

    // Drawing state as the driver sees it.
    int blend = SOLIDBLEND;
    std::uint8_t r = 255, g = 255, b = 255, a = 255;
    float alpha = 1;
    float clsR = 0, clsG = 0, clsB = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1;
    float lineWidth = 1;
    float resW = 1, resH = 1;
    int vpX = 0, vpY = 0, vpW = 0, vpH = 0;
    bool scissor = false;

    bool Live() const { return current != nullptr; }
    // Size of one window pixel in drawing units.
    float PixelW() const { return drawableW > 0 ? resW / float(drawableW) : 1.0f; }
    float PixelH() const { return drawableH > 0 ? resH / float(drawableH) : 1.0f; }

    void CreateObjects();
    void DestroyObjects();
    void Flush();
    void Draw(const Program& program, const std::vector<Vertex>& vertices);
    // Splits an alpha-blended run of triangles into the pieces that may be drawn first without
    // blending and the rest; false when nothing is gained.
    bool Partition();
    void ApplyBlend();
    void ApplyScissor();
    void Push(float x, float y, float u, float v, float isTextured) {
        batch.push_back(Vertex{x, y, u, v, r, g, b, a, isTextured});
        (isTextured > 0 ? batchTextured : batchColored) = true;
        if ((r & g & b & a) != 255) batchTinted = true;
        if (a != 255) pieceOpaque = false;
    }
    void Triangle(const float* p0, const float* p1, const float* p2) {
        Mode(GL_TRIANGLES, false);
        Push(p0[0], p0[1], 0, 0, 0);
        Push(p1[0], p1[1], 0, 0, 0);
        Push(p2[0], p2[1], 0, 0, 0);
    }
    void Quad(const float q[4][2]) {
        Triangle(q[0], q[1], q[2]);
        Triangle(q[0], q[2], q[3]);
        EndPrimitive();
    }
    void EndPrimitive() {
        if (batch.size() > pieceStart)
            pieces.push_back({pieceStart, batch.size() - pieceStart, pieceOpaque});
        pieceStart = batch.size();
        pieceOpaque = true;
        if (!batching || batch.size() > 60000) Flush();
    }
    void Transform(float x, float y, float tx, float ty, float out[2]) const {
        out[0] = x * ix + y * iy + tx;
        out[1] = x * jx + y * jy + ty;
    }
    void TexturedJoin(GLuint texture) {
        Mode(GL_TRIANGLES, true);
        if (!batch.empty() && batchTexture != 0 && batchTexture != texture) Flush();
        batchTexture = texture;
    }
    void SetResolutionUniforms() {
        for (const Program* p : {&colored, &textured, &copied, &masked}) {
            glUseProgram(p->name);
            glUniform2f(p->uResolution, resW, resH);
        }
    }
    // Starts a run of a primitive type, textured or not, flushing a run of another kind. Runs
    // never mix textured and colour-only primitives: a mixed run would read the texture for
    // every pixel of the plain ones too, which costs more than the extra draw call.
    void Mode(GLenum mode, bool textured) {
        if (!batch.empty() && (mode != batchMode || (textured ? batchColored : batchTextured)))
            Flush();
        batchMode = mode;
    }
    void SetSwapInterval(int interval) {
        if (interval == swapInterval) return;
        swapInterval = interval;
        vsyncAccepted = SDL_GL_SetSwapInterval(interval) == 0 && interval == 1;
    }
};

void TGLRender2DDriver::Impl::CreateObjects() {
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    colored = Link(kVertexShader, kColorFragmentShader);
    textured = Link(kVertexShader, kTextureFragmentShader);
    copied = Link(kVertexShader, kCopyFragmentShader);
    masked = Link(kVertexShader, kMaskFragmentShader);

    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    const auto stride = static_cast<GLsizei>(sizeof(Vertex));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, r)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, textured)));

    const std::uint8_t white4[4] = {255, 255, 255, 255};
    glGenTextures(1, &white);
    glBindTexture(GL_TEXTURE_2D, white);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

void TGLRender2DDriver::Impl::DestroyObjects() {
    batch.clear();
    if (white) glDeleteTextures(1, &white);
    if (vbo) glDeleteBuffers(1, &vbo);
    if (vao) glDeleteVertexArrays(1, &vao);
    for (Program* p : {&colored, &textured, &copied, &masked}) {
        if (p->name) glDeleteProgram(p->name);
        *p = Program{};
    }
    white = vbo = vao = 0;
    batchTexture = 0;
}

void TGLRender2DDriver::Impl::Draw(const Program& program, const std::vector<Vertex>& vertices) {
    if (vertices.empty()) return;
    glUseProgram(program.name);
    glBindTexture(GL_TEXTURE_2D, batchTexture ? batchTexture : white);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)),
                 vertices.data(), GL_STREAM_DRAW);
    glDrawArrays(batchMode, 0, static_cast<GLsizei>(vertices.size()));
    ++frameCalls;
    ++totalCalls;
}

namespace {
struct Box {
    float x0, y0, x1, y1;
    bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

Box BoxOf(const Vertex* v, std::size_t count) {
    Box b{v[0].x, v[0].y, v[0].x, v[0].y};
    for (std::size_t i = 1; i < count; ++i) {
        b.x0 = std::min(b.x0, v[i].x);
        b.y0 = std::min(b.y0, v[i].y);
        b.x1 = std::max(b.x1, v[i].x);
        b.y1 = std::max(b.y1, v[i].y);
    }
    return b;
}
}  // namespace

bool TGLRender2DDriver::Impl::Partition() {
    if (blend != ALPHABLEND || batchMode != GL_TRIANGLES || pieces.empty() ||
        pieces.back().first + pieces.back().count != batch.size() ||
        std::none_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.opaque; }))
        return false;
    unblended.clear();
    blended.clear();
    // A piece may go ahead of the blended ones only where it covers none of them: everything it
    // overtakes is elsewhere, and opaque pieces keep their order among themselves.
    std::vector<Box> behind;
    for (const Piece& p : pieces) {
        const Vertex* v = &batch[p.first];
        const Box box = BoxOf(v, p.count);
        bool free = p.opaque;
        for (std::size_t i = 0; free && i < behind.size(); ++i) free = !box.Overlaps(behind[i]);
        if (free) {
            unblended.insert(unblended.end(), v, v + p.count);
        } else {
            blended.insert(blended.end(), v, v + p.count);
            behind.push_back(box);
        }
    }
    return !unblended.empty();
}

void TGLRender2DDriver::Impl::Flush() {
    if (batch.empty() || !Live()) {
        batch.clear();
        pieces.clear();
        pieceStart = 0;
        return;
    }
    const Program& program = blend == MASKBLEND ? masked
                             : !batchTextured   ? colored
                             : batchTinted      ? textured
                                                : copied;
    // Blending reads the framebuffer for every pixel, the dearest step of a software
    // rasterizer: whatever is fully opaque is drawn first without it.
    if (Partition()) {
        glDisable(GL_BLEND);
        Draw(program, unblended);
        ApplyBlend();
        Draw(program, blended);
    } else {
        Draw(program, batch);
    }
    batch.clear();
    pieces.clear();
    pieceStart = 0;
    pieceOpaque = true;
    batchTexture = 0;
    batchTextured = batchColored = batchTinted = false;
}

void TGLRender2DDriver::Impl::ApplyBlend() {
    switch (blend) {
        case ALPHABLEND:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case LIGHTBLEND:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case SHADEBLEND:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        default:  // mask and solid
            glDisable(GL_BLEND);
            break;
    }
}

void TGLRender2DDriver::Impl::ApplyScissor() {
    // A clip rectangle that covers the whole window clips nothing: leave scissoring off.
    scissor = !(vpX <= 0 && vpY <= 0 && vpX + vpW >= drawableW && vpY + vpH >= drawableH);
    if (scissor) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(vpX, drawableH - (vpY + vpH), vpW, vpH);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

TGLRender2DDriver::TGLRender2DDriver() : impl_(std::make_unique<Impl>()) {}

// The display is closed by End's exit hook. Nothing here may talk to SDL or the X server: this runs
// during process exit, possibly because the X connection just died (Xlib exits from its I/O error
// handler), and waiting on a dead connection would hang the exit for ever.
TGLRender2DDriver::~TGLRender2DDriver() = default;

std::vector<TGraphicsMode> TGLRender2DDriver::GraphicsModes() {
    std::vector<TGraphicsMode> modes;
    if (!PlatformInitVideo()) return modes;
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0)
            modes.push_back({m.w, m.h, int(SDL_BITSPERPIXEL(m.format)), m.refresh_rate});
    }
    return modes;
}

namespace {
void AskForOpenGL33() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
}

// A window (depth 0) or a full-screen display; null when the platform refuses.
SDL_Window* OpenWindow(int width, int height, int depth, int hertz, int desktopW, int desktopH) {
    // A window follows the desktop: the user may drag its size, maximise it or make it full
    // screen through the window manager, and the picture is fitted again each time.
    Uint32 windowFlags = SDL_WINDOW_OPENGL | (depth == 0 ? SDL_WINDOW_RESIZABLE : 0);
    // Full screen at the desktop's own size needs no mode change: a desktop-sized window.
    const bool desktopSized = width == desktopW && height == desktopH;
    if (depth != 0)
        windowFlags |= desktopSized ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
    SDL_Window* window = SDL_CreateWindow(AppTitle().c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, width, height, windowFlags);
    if (!window) return nullptr;
    if (depth != 0 && !desktopSized) {
        SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, width, height, hertz, nullptr};
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(0, &want, &closest))
            SDL_SetWindowDisplayMode(window, &closest);
    }
    if (depth == 0) SDL_SetWindowMinimumSize(window, std::min(width, 256), std::min(height, 192));
    return window;
}

// Why no OpenGL 3.3 context could be made on `window`, for the player: the version the driver
// does offer when it offers an older one.
std::string WhyNoOpenGL33(SDL_Window* window, const std::string& sdlError) {
    SDL_GL_ResetAttributes();
    std::string offered;
    if (SDL_GLContext older = SDL_GL_CreateContext(window)) {
        if (const auto* v = reinterpret_cast<const char*>(glGetString(GL_VERSION))) offered = v;
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(older);
    }
    AskForOpenGL33();
    if (!offered.empty())
        return "the graphics driver offers only OpenGL " + offered + ", and the game needs 3.3";
    return "no OpenGL 3.3 driver could be started (" + sdlError + ")";
}
}  // namespace

std::unique_ptr<TGraphics> TGLRender2DDriver::CreateGraphics(int width, int height, int depth,
                                                             int hertz, int flags) {
    if (!PlatformInitVideo()) return nullptr;
    AskForOpenGL33();
    int desktopW = 0, desktopH = 0;
    DesktopSize(desktopW, desktopH);
    // A missing or broken OpenGL driver makes the X server refuse GLX requests, which would end
    // the program with Xlib's own message: the refusals are caught and told as a cause.
    PlatformCatchXErrors(true);
    SDL_Window* window = OpenWindow(width, height, depth, hertz, desktopW, desktopH);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    const std::string sdlError = SDL_GetError();
    const std::string xError = PlatformCatchXErrors(false);
    if (!context) {
        if (!window)
            SetGraphicsFailure("the window could not be opened (" + sdlError + ")");
        else if (!xError.empty())
            SetGraphicsFailure(
                "no working OpenGL driver was found (the display refused it: " + xError + ")");
        else
            SetGraphicsFailure(WhyNoOpenGL33(window, sdlError));
        if (window) SDL_DestroyWindow(window);
        return nullptr;
    }
    auto graphics = std::make_unique<TGLGraphics>();
    graphics->window = window;
    graphics->context = context;
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    graphics->width = dw;
    graphics->height = dh;
    graphics->depth = depth;
    graphics->hertz = hertz;
    graphics->flags = flags;
    return graphics;
}

void TGLRender2DDriver::SetGraphics(TGraphics* graphics) {
    Impl& d = *impl_;
    if (d.current) {
        d.Flush();
        d.DestroyObjects();
        PlatformStopPolling();
        SDL_GL_MakeCurrent(d.current->window, nullptr);
        SDL_GL_DeleteContext(d.current->context);
        SDL_DestroyWindow(d.current->window);
        d.current->window = nullptr;
        d.current->context = nullptr;
        d.current = nullptr;
        g_liveGeneration = 0;
        d.generation = 0;
    }
    auto* gl = dynamic_cast<TGLGraphics*>(graphics);
    if (!gl || !gl->window) return;
    d.current = gl;
    SDL_GL_MakeCurrent(gl->window, gl->context);
    d.generation = NewGraphicsGeneration();
    g_liveGeneration = d.generation;
    d.drawableW = gl->width;
    d.drawableH = gl->height;
    d.swapInterval = -2;
    d.CreateObjects();
    glViewport(0, 0, d.drawableW, d.drawableH);
    d.resW = float(d.drawableW);
    d.resH = float(d.drawableH);
    d.SetResolutionUniforms();
    d.vpX = d.vpY = 0;
    d.vpW = d.drawableW;
    d.vpH = d.drawableH;
    d.ApplyScissor();
    d.ApplyBlend();
    PlatformStartPolling(gl->window);
}

void TGLRender2DDriver::Resized(int width, int height) {
    Impl& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    d.drawableW = width;
    d.drawableH = height;
    glViewport(0, 0, width, height);
    d.ApplyScissor();
}

void TGLRender2DDriver::Flip(int sync) {
    Impl& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    d.SetSwapInterval(sync > 0 ? 1 : 0);
    SDL_GL_SwapWindow(d.current->window);
    d.lastFrameCalls = d.frameCalls;
    d.frameCalls = 0;
}

std::unique_ptr<TImageFrame> TGLRender2DDriver::CreateFrameFromPixmap(const TPixmap& pixmap,
                                                                      int flags) {
    Impl& d = *impl_;
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

int TGLRender2DDriver::Generation() const {
    return impl_->generation;
}

void TGLRender2DDriver::SetBlend(int mode) {
    Impl& d = *impl_;
    if (mode == d.blend) return;
    d.Flush();
    d.blend = mode;
    if (d.Live()) d.ApplyBlend();
}

void TGLRender2DDriver::SetAlpha(float alpha) {
    impl_->alpha = std::clamp(alpha, 0.0f, 1.0f);
    impl_->a = static_cast<std::uint8_t>(std::lround(impl_->alpha * 255.0f));
}

void TGLRender2DDriver::SetColor(int r, int g, int b) {
    impl_->r = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    impl_->g = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
    impl_->b = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
}

void TGLRender2DDriver::SetClsColor(int r, int g, int b) {
    impl_->clsR = std::clamp(r, 0, 255) / 255.0f;
    impl_->clsG = std::clamp(g, 0, 255) / 255.0f;
    impl_->clsB = std::clamp(b, 0, 255) / 255.0f;
}

void TGLRender2DDriver::SetViewport(int x, int y, int width, int height) {
    Impl& d = *impl_;
    if (x == d.vpX && y == d.vpY && width == d.vpW && height == d.vpH) return;
    d.Flush();
    d.vpX = x;
    d.vpY = y;
    d.vpW = width;
    d.vpH = height;
    if (d.Live()) d.ApplyScissor();
}

void TGLRender2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
    impl_->ix = ix;
    impl_->iy = iy;
    impl_->jx = jx;
    impl_->jy = jy;
}

void TGLRender2DDriver::SetLineWidth(float width) {
    impl_->lineWidth = width > 0 ? width : 1;
}

void TGLRender2DDriver::Cls() {
    Impl& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    if (d.scissor) glDisable(GL_SCISSOR_TEST);
    glClearColor(d.clsR, d.clsG, d.clsB, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (d.scissor) glEnable(GL_SCISSOR_TEST);
}

void TGLRender2DDriver::Plot(float x, float y) {
    Impl& d = *impl_;
    float pw = d.PixelW(), ph = d.PixelH();
    // One window pixel: the one whose centre is half a pixel right and down of the point.
    float q[4][2] = {{x, y}, {x + pw, y}, {x + pw, y + ph}, {x, y + ph}};
    d.Quad(q);
}

void TGLRender2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                                 bool lastPixel) {
    Impl& d = *impl_;
    float a[2], b[2];
    d.Transform(x0, y0, tx, ty, a);
    d.Transform(x1, y1, tx, ty, b);
    // Work in window pixels, through the pixel centres. Wide lines are quads with a half-pixel
    // cap at the start and, when the last pixel is wanted, at the end.
    float pw = d.PixelW(), ph = d.PixelH();
    float ax = a[0] / pw + 0.5f, ay = a[1] / ph + 0.5f;
    float bx = b[0] / pw + 0.5f, by = b[1] / ph + 0.5f;
    float dx = bx - ax, dy = by - ay;
    float len = std::sqrt(dx * dx + dy * dy);
    float ux = 1, uy = 0;
    if (len > 1e-6f) {
        ux = dx / len;
        uy = dy / len;
    } else if (!lastPixel) {
        return;
    }
    if (d.lineWidth == 1.0f) {
        // GL draws a thin line's pixels up to, not including, the last one; to include it, go
        // one pixel further along the major axis.
        if (lastPixel) {
            float major = std::max(std::fabs(dx), std::fabs(dy));
            if (major > 1e-6f) {
                bx += dx / major;
                by += dy / major;
            } else {
                bx += 1;
            }
        }
        if (std::fabs(dy) < 1e-4f || std::fabs(dx) < 1e-4f) {
            // A level or upright line is a one-pixel-wide strip: fill exactly GL's pixels (the
            // first drawn, the last not) as a quad, which the rasterizer fills several times
            // faster than the same pixels as a line.
            auto span = [](float from, float to, float& lo, float& hi) {
                if (to >= from) {
                    lo = std::ceil(from - 0.5f);
                    hi = std::ceil(to - 0.5f);
                } else {
                    lo = std::floor(to - 0.5f) + 1;
                    hi = std::floor(from - 0.5f) + 1;
                }
            };
            float left = 0, right = 0, top = 0, bottom = 0;
            if (std::fabs(dy) < 1e-4f) {
                span(ax, bx, left, right);
                top = std::floor(ay);
                bottom = top + 1;
            } else {
                span(ay, by, top, bottom);
                left = std::floor(ax);
                right = left + 1;
            }
            // Only the part inside the window: a strip hanging over the edge misses the
            // rasterizer's quick path for rectangles.
            left = std::max(left, 0.0f);
            top = std::max(top, 0.0f);
            right = std::min(right, float(d.drawableW));
            bottom = std::min(bottom, float(d.drawableH));
            if (right <= left || bottom <= top) return;
            float q[4][2] = {{left * pw, top * ph},
                             {right * pw, top * ph},
                             {right * pw, bottom * ph},
                             {left * pw, bottom * ph}};
            d.Quad(q);
            return;
        }
        d.Mode(GL_LINES, false);
        d.Push(ax * pw, ay * ph, 0, 0, 0);
        d.Push(bx * pw, by * ph, 0, 0, 0);
        d.EndPrimitive();
        return;
    }
    float half = d.lineWidth * 0.5f;
    float endCap = lastPixel ? 0.5f : -0.5f;
    float sx = ax - ux * 0.5f, sy = ay - uy * 0.5f;
    float ex = bx + ux * endCap, ey = by + uy * endCap;
    if ((ex - sx) * ux + (ey - sy) * uy <= 0) return;  // shorter than one pixel and no last pixel
    float nx = -uy * half, ny = ux * half;
    float q[4][2] = {{(sx + nx) * pw, (sy + ny) * ph},
                     {(ex + nx) * pw, (ey + ny) * ph},
                     {(ex - nx) * pw, (ey - ny) * ph},
                     {(sx - nx) * pw, (sy - ny) * ph}};
    d.Quad(q);
}

void TGLRender2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    Impl& d = *impl_;
    float q[4][2];
    d.Transform(x0, y0, tx, ty, q[0]);
    d.Transform(x1, y0, tx, ty, q[1]);
    d.Transform(x1, y1, tx, ty, q[2]);
    d.Transform(x0, y1, tx, ty, q[3]);
    d.Quad(q);
}

void TGLRender2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    Impl& d = *impl_;
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float rx = (x1 - x0) * 0.5f, ry = (y1 - y0) * 0.5f;
    float sx = std::hypot(d.ix, d.jx), sy = std::hypot(d.iy, d.jy);
    int segs = OvalSegments(rx, ry, sx, sy);
    float centre[2];
    d.Transform(cx, cy, tx, ty, centre);
    float prev[2];
    d.Transform(cx + rx, cy, tx, ty, prev);
    for (int i = 1; i <= segs; ++i) {
        double angle = 2.0 * 3.14159265358979323846 * i / segs;
        float p[2];
        d.Transform(cx + rx * float(std::cos(angle)), cy - ry * float(std::sin(angle)), tx, ty, p);
        d.Triangle(centre, prev, p);
        prev[0] = p[0];
        prev[1] = p[1];
    }
    d.EndPrimitive();
}

void TGLRender2DDriver::DrawPoly(const std::vector<float>& xy, float handleX, float handleY,
                                 float tx, float ty) {
    Impl& d = *impl_;
    std::size_t n = xy.size() / 2;
    if (n < 3) return;
    std::vector<float> pts(n * 2);
    for (std::size_t i = 0; i < n; ++i)
        d.Transform(xy[i * 2] + handleX, xy[i * 2 + 1] + handleY, tx, ty, &pts[i * 2]);
    for (std::size_t i = 1; i + 1 < n; ++i) d.Triangle(&pts[0], &pts[i * 2], &pts[(i + 1) * 2]);
    d.EndPrimitive();
}

void TGLRender2DDriver::DrawPixmap(const TPixmap& pixmap, int x, int y) {
    Impl& d = *impl_;
    if (!d.Live()) return;
    std::unique_ptr<TImageFrame> frame = CreateFrameFromPixmap(pixmap, 0);
    if (!frame) return;
    float saved[4] = {d.ix, d.iy, d.jx, d.jy};
    std::uint8_t rgba[4] = {d.r, d.g, d.b, d.a};
    SetTransform(1, 0, 0, 1);
    d.r = d.g = d.b = d.a = 255;
    // One pixmap pixel to one window pixel, whatever the drawing resolution.
    float w = pixmap.width * d.PixelW(), h = pixmap.height * d.PixelH();
    DrawFrame(*frame, 0, 0, w, h, float(x), float(y), 0, 0, float(pixmap.width),
              float(pixmap.height));
    d.Flush();
    SetTransform(saved[0], saved[1], saved[2], saved[3]);
    d.r = rgba[0];
    d.g = rgba[1];
    d.b = rgba[2];
    d.a = rgba[3];
}

void TGLRender2DDriver::DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1,
                                  float tx, float ty, float sx, float sy, float sw, float sh) {
    Impl& d = *impl_;
    auto* gl = dynamic_cast<TGLImageFrame*>(&frame);
    if (!gl || gl->seq != d.generation || !d.Live()) return;
    // In these modes a texel with alpha 0 leaves the pixel as it was, so only the part of the
    // rectangle that shows is drawn: less to blend, and padded cells drawn edge to edge no
    // longer overlap, so their opaque parts can go ahead unblended.
    if (d.blend == ALPHABLEND || d.blend == LIGHTBLEND || d.blend == MASKBLEND) {
        const float was[4] = {sx, sy, sw, sh};
        if (!gl->Trim(sx, sy, sw, sh)) return;
        const float kx = (x1 - x0) / was[2], ky = (y1 - y0) / was[3];
        const float left = x0, top = y0;
        x0 = left + (sx - was[0]) * kx;
        x1 = left + (sx + sw - was[0]) * kx;
        y0 = top + (sy - was[1]) * ky;
        y1 = top + (sy + sh - was[1]) * ky;
    }
    d.TexturedJoin(gl->name);
    float u0 = sx * gl->uscale, v0 = sy * gl->vscale;
    float u1 = (sx + sw) * gl->uscale, v1 = (sy + sh) * gl->vscale;
    float p[4][2];
    d.Transform(x0, y0, tx, ty, p[0]);
    d.Transform(x1, y0, tx, ty, p[1]);
    d.Transform(x1, y1, tx, ty, p[2]);
    d.Transform(x0, y1, tx, ty, p[3]);
    // The rasterizer keeps pixels whose centres lie on a top or left edge. Upright and unflipped,
    // those edges are the source rectangle's near sides; otherwise a far side, whose centres
    // sample the texel beyond the rectangle, which may be see-through and must then be blended.
    const bool upright =
        p[1][1] == p[0][1] && p[1][0] > p[0][0] && p[3][0] == p[0][0] && p[3][1] > p[0][1];
    d.pieceOpaque = upright && gl->Opaque(sx, sy, sw, sh);
    d.Push(p[0][0], p[0][1], u0, v0, 1);
    d.Push(p[1][0], p[1][1], u1, v0, 1);
    d.Push(p[2][0], p[2][1], u1, v1, 1);
    d.Push(p[0][0], p[0][1], u0, v0, 1);
    d.Push(p[2][0], p[2][1], u1, v1, 1);
    d.Push(p[3][0], p[3][1], u0, v1, 1);
    d.EndPrimitive();
}

std::unique_ptr<TPixmap> TGLRender2DDriver::GrabPixmap(int x, int y, int width, int height) {
    Impl& d = *impl_;
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

void TGLRender2DDriver::SetResolution(float width, float height) {
    Impl& d = *impl_;
    if (width == d.resW && height == d.resH) return;
    d.Flush();
    d.resW = width;
    d.resH = height;
    if (d.Live()) d.SetResolutionUniforms();
}

void TGLRender2DDriver::DesktopSize(int& width, int& height) {
    width = height = 0;
    if (!PlatformInitVideo()) return;
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) == 0) {
        width = m.w;
        height = m.h;
    }
}

void TGLRender2DDriver::UsableDesktopSize(int& width, int& height) {
    width = height = 0;
    if (!PlatformInitVideo()) return;
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) == 0) {
        width = r.w;
        height = r.h;
    } else {
        DesktopSize(width, height);
    }
}

void TGLRender2DDriver::SetBatching(bool on) {
    impl_->Flush();
    impl_->batching = on;
}

long long TGLRender2DDriver::LastFrameDrawCalls() const {
    return impl_->lastFrameCalls;
}
long long TGLRender2DDriver::TotalDrawCalls() const {
    return impl_->totalCalls;
}
bool TGLRender2DDriver::VSyncAccepted() const {
    return impl_->vsyncAccepted;
}

TGLRender2DDriver& GLMax2DDriver() {
    static TGLRender2DDriver driver;
    return driver;
}
