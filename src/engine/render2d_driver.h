#pragma once
// The interface every 2D renderer back-end implements. The free functions of render2d.h keep the
// drawing state and hand drivers positions that are already split into local corners (x0..y1),
// the transform (set by SetTransform) and the translation (tx, ty): the drawing position in
// virtual-resolution units with the origin added, the point the handle lands on. A local point
// (x, y) is drawn at (x * ix + y * iy + tx, x * jx + y * jy + ty).

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/pixmap.h"

// Picture flags.
constexpr int MASKEDIMAGE = 1;
constexpr int FILTEREDIMAGE = 2;
constexpr int MIPMAPPEDIMAGE = 4;
constexpr int DYNAMICIMAGE = 8;

// Blend modes.
constexpr int MASKBLEND = 1;
constexpr int SOLIDBLEND = 2;
constexpr int ALPHABLEND = 3;
constexpr int LIGHTBLEND = 4;
constexpr int SHADEBLEND = 5;

// Graphics flags.
constexpr int GRAPHICS_BACKBUFFER = 2;

struct TGraphicsMode {
    int width;
    int height;
    int depth;
    int hertz;
};

// An open display.
class TGraphics {
  public:
    virtual ~TGraphics() = default;
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 0;
    int flags = 0;
};

// A picture prepared for one driver (an OpenGL texture, say).
class TImageFrame {
  public:
    virtual ~TImageFrame() = default;
};

class TRender2DDriver {
  public:
    virtual ~TRender2DDriver() = default;
    // The back-end's name as the game shows it: "OpenGL", "Direct3D 9" or "Direct3D 7".
    virtual std::string Name() const = 0;

    // Display modes the platform offers for full screen.
    virtual std::vector<TGraphicsMode> GraphicsModes() = 0;
    // Opens a window (depth 0) or a full-screen display; null when the mode cannot be set.
    virtual std::unique_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                                      int flags) = 0;
    // Makes a display current for drawing; null closes the current one.
    virtual void SetGraphics(TGraphics* graphics) = 0;
    // The current display's window now has width x height pixels; drawing covers all of them.
    virtual void Resized(int /*width*/, int /*height*/) {}
    // Presents the back buffer; sync 1 asks for vertical sync. Pacing is the caller's.
    virtual void Flip(int sync) = 0;
    // The pixels as a frame this driver can draw (flags as for LoadImage); null on failure.
    virtual std::unique_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap,
                                                               int flags) = 0;
    // Changes whenever the driver's context is recreated; frames of another generation are stale.
    virtual int Generation() const = 0;

    // The blend mode of the draws that follow (MASKBLEND, SOLIDBLEND, ALPHABLEND, ...).
    virtual void SetBlend(int mode) = 0;
    // The opacity, 0 .. 1, the draws that follow are multiplied by.
    virtual void SetAlpha(float alpha) = 0;
    // The colour, 0 .. 255 a channel, that tints the draws that follow.
    virtual void SetColor(int r, int g, int b) = 0;
    // The colour Cls fills with.
    virtual void SetClsColor(int r, int g, int b) = 0;
    // Clip rectangle in window pixels, y counted from the top.
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    // The 2 x 2 matrix applied to every local point before the translation: a local (x, y)
    // lands at (x * ix + y * iy + tx, x * jx + y * jy + ty).
    virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
    // Width in pixels of the lines that follow.
    virtual void SetLineWidth(float width) = 0;
    // Fills the whole window with the clear colour, ignoring the clip rectangle.
    virtual void Cls() = 0;
    // One pixel at (x, y), already translated, in the current colour.
    virtual void Plot(float x, float y) = 0;
    // A line between local points (x0, y0) and (x1, y1), transformed and moved by (tx, ty); the
    // end pixel is lit only with lastPixel.
    virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                          bool lastPixel) = 0;
    // A filled rectangle with local corners (x0, y0) and (x1, y1), transformed and moved by
    // (tx, ty).
    virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    // A filled oval inside the local rectangle (x0, y0)-(x1, y1), transformed and moved by
    // (tx, ty), with OvalSegments segments.
    virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    // Convex polygon, xy pairs in local coordinates, offset by the handle before transforming.
    virtual void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx,
                          float ty) = 0;
    // The pixels unscaled and untransformed with their top-left at window pixel (x, y).
    virtual void DrawPixmap(const TPixmap& pixmap, int x, int y) = 0;
    // Textured quad: local corners (x0, y0)-(x1, y1), transformed and moved by (tx, ty), showing
    // the source rectangle (sx, sy, sw, sh) in frame pixels.
    virtual void DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1, float tx,
                           float ty, float sx, float sy, float sw, float sh) = 0;
    // Pixels of the back buffer, window coordinates from the top-left.
    virtual std::unique_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) = 0;
    // The coordinate space of all drawing: (0, 0) top-left to (width, height) bottom-right.
    virtual void SetResolution(float width, float height) = 0;
    // The desktop's size in pixels; 0 x 0 when there is no display.
    virtual void DesktopSize(int& width, int& height) = 0;
    // The part of the desktop a window may take (less panels and docks); 0 x 0 when the driver
    // cannot tell, and the whole desktop then counts.
    virtual void UsableDesktopSize(int& width, int& height) { width = height = 0; }
    // Why the last CreateGraphics or DesktopSize found no display, in words for the player;
    // empty when the driver gives no reason.
    virtual std::string Failure() const { return {}; }
};

// Segment count of an outlined or filled oval: the larger of 12 and the sum of the scaled radii,
// rounded down to a multiple of 4.
inline int OvalSegments(float radiusX, float radiusY, float scaleX, float scaleY) {
    double sum = std::fabs(double(radiusX) * scaleX) + std::fabs(double(radiusY) * scaleY);
    int segs = sum < 1e6 ? static_cast<int>(sum) : 1000000;
    segs = std::max(12, segs);
    return segs - segs % 4;
}

// A number no context has had before, for a driver's Generation.
inline int NewGraphicsGeneration() {
    static int next = 0;
    return ++next;
}
