#pragma once
// Engine-internal: the OpenGL driver's state and its batcher, shared by the driver's files (the
// context, the textures, the primitives). Quads, lines and polygons all become vertices with a
// colour and a "textured" weight in one list, drawn in one call for each run that shares texture,
// blend, clip and resolution.

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gl_driver.h"
#include "engine/render2d_driver.h"

// A shader program, linked the first time a run needs it: a game that never draws in a mode
// never pays for its program.
struct Program {
    const char* fragment = nullptr;
    GLuint name = 0;
    GLint uResolution = -1;
};

struct Vertex {
    float x, y, u, v;
    std::uint8_t r, g, b, a;
    float textured;
};

// The open window and its context (gl_context.cpp).
class TGLGraphics;

struct TGLState {
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
    // Why the last attempt to open a display or read the desktop found none.
    std::string failure;

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
            if (!p->name) continue;
            glUseProgram(p->name);
            glUniform2f(p->uResolution, resW, resH);
        }
    }
    // The program, linked now if it has not been yet.
    const Program& Linked(Program& program);
    // Starts a run of a primitive type, textured or not, flushing a run of another kind. Runs
    // never mix textured and colour-only primitives: a mixed run would read the texture for
    // every pixel of the plain ones too, which costs more than the extra draw call.
    void Mode(GLenum mode, bool textured) {
        if (!batch.empty() && (mode != batchMode || (textured ? batchColored : batchTextured)))
            Flush();
        batchMode = mode;
    }
};
