#include <algorithm>
#include <cmath>

#include "engine/gl_batch.h"
#include "engine/gl_textures.h"

void TGLRender2DDriver::Plot(float x, float y) {
    TGLState& d = *impl_;
    float pw = d.PixelW(), ph = d.PixelH();
    // One window pixel: the one whose centre is half a pixel right and down of the point.
    float q[4][2] = {{x, y}, {x + pw, y}, {x + pw, y + ph}, {x, y + ph}};
    d.Quad(q);
}

namespace {
// A line's ends in window pixels, through the pixel centres.
struct PixelLine {
    float ax, ay, bx, by;
    float Dx() const { return bx - ax; }
    float Dy() const { return by - ay; }
};

// The pixels [lo, hi) GL's thin-line rule fills along a level or upright line from `from` to
// `to`: the first drawn, the last not.
void Span(float from, float to, float& lo, float& hi) {
    if (to >= from) {
        lo = std::ceil(from - 0.5f);
        hi = std::ceil(to - 0.5f);
    } else {
        lo = std::floor(to - 0.5f) + 1;
        hi = std::floor(from - 0.5f) + 1;
    }
}

// A level or upright thin line as the one-pixel-wide strip of exactly GL's pixels: a quad, which
// the rasterizer fills several times faster than the same pixels as a line.
void Strip(TGLState& d, const PixelLine& line) {
    float left = 0, right = 0, top = 0, bottom = 0;
    if (std::fabs(line.Dy()) < 1e-4f) {
        Span(line.ax, line.bx, left, right);
        top = std::floor(line.ay);
        bottom = top + 1;
    } else {
        Span(line.ay, line.by, top, bottom);
        left = std::floor(line.ax);
        right = left + 1;
    }
    // Only the part inside the window: a strip hanging over the edge misses the rasterizer's
    // quick path for rectangles.
    left = std::max(left, 0.0f);
    top = std::max(top, 0.0f);
    right = std::min(right, float(d.drawableW));
    bottom = std::min(bottom, float(d.drawableH));
    if (right <= left || bottom <= top) return;
    const float pw = d.PixelW(), ph = d.PixelH();
    float q[4][2] = {{left * pw, top * ph},
                     {right * pw, top * ph},
                     {right * pw, bottom * ph},
                     {left * pw, bottom * ph}};
    d.Quad(q);
}

void ThinLine(TGLState& d, PixelLine line, bool lastPixel) {
    const float dx = line.Dx(), dy = line.Dy();
    // GL draws a thin line's pixels up to, not including, the last one; to include it, go one
    // pixel further along the major axis.
    if (lastPixel) {
        const float major = std::max(std::fabs(dx), std::fabs(dy));
        if (major > 1e-6f) {
            line.bx += dx / major;
            line.by += dy / major;
        } else {
            line.bx += 1;
        }
    }
    if (std::fabs(dy) < 1e-4f || std::fabs(dx) < 1e-4f) {
        Strip(d, line);
        return;
    }
    d.Mode(GL_LINES, false);
    d.Push(line.ax * d.PixelW(), line.ay * d.PixelH(), 0, 0, 0);
    d.Push(line.bx * d.PixelW(), line.by * d.PixelH(), 0, 0, 0);
    d.EndPrimitive();
}

// A wide line: a quad with a half-pixel cap at the start and, when the last pixel is wanted, at
// the end. (ux, uy) is the line's direction.
void WideLine(TGLState& d, const PixelLine& line, float ux, float uy, bool lastPixel) {
    const float half = d.lineWidth * 0.5f;
    const float endCap = lastPixel ? 0.5f : -0.5f;
    const float sx = line.ax - ux * 0.5f, sy = line.ay - uy * 0.5f;
    const float ex = line.bx + ux * endCap, ey = line.by + uy * endCap;
    if ((ex - sx) * ux + (ey - sy) * uy <= 0) return;  // shorter than one pixel and no last pixel
    const float nx = -uy * half, ny = ux * half;
    const float pw = d.PixelW(), ph = d.PixelH();
    float q[4][2] = {{(sx + nx) * pw, (sy + ny) * ph},
                     {(ex + nx) * pw, (ey + ny) * ph},
                     {(ex - nx) * pw, (ey - ny) * ph},
                     {(sx - nx) * pw, (sy - ny) * ph}};
    d.Quad(q);
}
}  // namespace

void TGLRender2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                                 bool lastPixel) {
    TGLState& d = *impl_;
    float a[2], b[2];
    d.Transform(x0, y0, tx, ty, a);
    d.Transform(x1, y1, tx, ty, b);
    const PixelLine line{a[0] / d.PixelW() + 0.5f, a[1] / d.PixelH() + 0.5f,
                         b[0] / d.PixelW() + 0.5f, b[1] / d.PixelH() + 0.5f};
    const float len = std::sqrt(line.Dx() * line.Dx() + line.Dy() * line.Dy());
    if (len <= 1e-6f && !lastPixel) return;
    if (d.lineWidth == 1.0f)
        ThinLine(d, line, lastPixel);
    else if (len > 1e-6f)
        WideLine(d, line, line.Dx() / len, line.Dy() / len, lastPixel);
    else
        WideLine(d, line, 1, 0, lastPixel);
}

void TGLRender2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    TGLState& d = *impl_;
    float q[4][2];
    d.Transform(x0, y0, tx, ty, q[0]);
    d.Transform(x1, y0, tx, ty, q[1]);
    d.Transform(x1, y1, tx, ty, q[2]);
    d.Transform(x0, y1, tx, ty, q[3]);
    d.Quad(q);
}

void TGLRender2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    TGLState& d = *impl_;
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
    TGLState& d = *impl_;
    std::size_t n = xy.size() / 2;
    if (n < 3) return;
    std::vector<float> pts(n * 2);
    for (std::size_t i = 0; i < n; ++i)
        d.Transform(xy[i * 2] + handleX, xy[i * 2 + 1] + handleY, tx, ty, &pts[i * 2]);
    for (std::size_t i = 1; i + 1 < n; ++i) d.Triangle(&pts[0], &pts[i * 2], &pts[(i + 1) * 2]);
    d.EndPrimitive();
}

void TGLRender2DDriver::DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1,
                                  float tx, float ty, float sx, float sy, float sw, float sh) {
    TGLState& d = *impl_;
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

void TGLRender2DDriver::DrawPixmap(const TPixmap& pixmap, int x, int y) {
    TGLState& d = *impl_;
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
