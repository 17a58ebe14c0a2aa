#include "engine/gl_batch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {
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
    p.fragment = fragment;
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

void TGLState::CreateObjects() {
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    colored = Program{kColorFragmentShader};
    textured = Program{kTextureFragmentShader};
    copied = Program{kCopyFragmentShader};
    masked = Program{kMaskFragmentShader};

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

void TGLState::DestroyObjects() {
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

void TGLState::Draw(const Program& program, const std::vector<Vertex>& vertices) {
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

bool TGLState::Partition() {
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

const Program& TGLState::Linked(Program& program) {
    if (program.name) return program;
    program = Link(kVertexShader, program.fragment);
    glUniform2f(program.uResolution, resW, resH);
    return program;
}

void TGLState::Flush() {
    if (batch.empty() || !Live()) {
        batch.clear();
        pieces.clear();
        pieceStart = 0;
        return;
    }
    const Program& program = Linked(blend == MASKBLEND ? masked
                                    : !batchTextured   ? colored
                                    : batchTinted      ? textured
                                                       : copied);
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

void TGLState::ApplyBlend() {
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

void TGLState::ApplyScissor() {
    // A clip rectangle that covers the whole window clips nothing: leave scissoring off.
    scissor = !(vpX <= 0 && vpY <= 0 && vpX + vpW >= drawableW && vpY + vpH >= drawableH);
    if (scissor) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(vpX, drawableH - (vpY + vpH), vpW, vpH);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

void TGLRender2DDriver::SetBlend(int mode) {
    TGLState& d = *impl_;
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
    TGLState& d = *impl_;
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
    TGLState& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    if (d.scissor) glDisable(GL_SCISSOR_TEST);
    glClearColor(d.clsR, d.clsG, d.clsB, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (d.scissor) glEnable(GL_SCISSOR_TEST);
}

void TGLRender2DDriver::SetResolution(float width, float height) {
    TGLState& d = *impl_;
    if (width == d.resW && height == d.resH) return;
    d.Flush();
    d.resW = width;
    d.resH = height;
    if (d.Live()) d.SetResolutionUniforms();
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
