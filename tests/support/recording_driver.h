#pragma once
// A render driver that draws nothing and keeps every call with the state it was made in, so
// layouts can be checked exactly without a window.

#include <functional>
#include <string>
#include <vector>

#include "engine/render2d_driver.h"

struct DrawCall {
    enum Kind { RECT, LINE, OVAL, POLY, PLOT, FRAME, PIXMAP, CLS } kind = RECT;
    // Local corners and translation as the driver received them.
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0, tx = 0, ty = 0;
    // Source rectangle of a FRAME.
    float sx = 0, sy = 0, sw = 0, sh = 0;
    const TImageFrame* frame = nullptr;
    bool lastPixel = false;
    std::vector<float> xy;
    int r = 255, g = 255, b = 255;
    float alpha = 1;
    int blend = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1;
    float originX = 0, originY = 0;
    int vpX = 0, vpY = 0, vpW = 0, vpH = 0;
    float resW = 0, resH = 0;

    // Where the local point (lx, ly) lands after the transform and translation.
    float MapX(float lx, float ly) const { return lx * ix + ly * iy + tx; }
    float MapY(float lx, float ly) const { return lx * jx + ly * jy + ty; }
    // The drawn rectangle's top-left and size for axis-aligned draws (no rotation).
    float Left() const { return MapX(x0, y0); }
    float Top() const { return MapY(x0, y0); }
    float Width() const { return (x1 - x0) * ix; }
    float Height() const { return (y1 - y0) * jy; }
};

// Calls fn(name, field...) with the same field of each call given, for every number of a draw
// call that says what was drawn (not the frame's address): the floats from x0 to resH, the kind,
// the whole numbers from r to vpH, lastPixel and the polygon's points, always in this order.
template <class Fn, class... Calls>
void ForEachField(Fn&& fn, Calls&... c) {
    fn("x0", c.x0...);
    fn("y0", c.y0...);
    fn("x1", c.x1...);
    fn("y1", c.y1...);
    fn("tx", c.tx...);
    fn("ty", c.ty...);
    fn("sx", c.sx...);
    fn("sy", c.sy...);
    fn("sw", c.sw...);
    fn("sh", c.sh...);
    fn("alpha", c.alpha...);
    fn("ix", c.ix...);
    fn("iy", c.iy...);
    fn("jx", c.jx...);
    fn("jy", c.jy...);
    fn("originX", c.originX...);
    fn("originY", c.originY...);
    fn("resW", c.resW...);
    fn("resH", c.resH...);
    fn("kind", c.kind...);
    fn("r", c.r...);
    fn("g", c.g...);
    fn("b", c.b...);
    fn("blend", c.blend...);
    fn("vpX", c.vpX...);
    fn("vpY", c.vpY...);
    fn("vpW", c.vpW...);
    fn("vpH", c.vpH...);
    fn("lastPixel", c.lastPixel...);
    fn("xy", c.xy...);
}

class RecordingDriver : public TRender2DDriver {
  public:
    // The desktop the driver pretends to run on, and its name (the renderer label reads it).
    explicit RecordingDriver(int desktopW = 1024, int desktopH = 768, std::string name = "OpenGL")
        : desktopW_(desktopW), desktopH_(desktopH), name_(std::move(name)) {}

    std::vector<DrawCall> calls;
    int flips = 0;
    int openCount = 0;
    int lastSync = -2;
    // Fails CreateGraphics when set (a mode the display cannot take).
    bool refuseGraphics = false;
    // Called on every Flip, e.g. to advance a manual clock the way a display would.
    std::function<void(int sync)> onFlip;

    std::string Name() const override { return name_; }
    std::vector<TGraphicsMode> GraphicsModes() override { return {{desktopW_, desktopH_, 32, 60}}; }
    std::unique_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                              int flags) override;
    void SetGraphics(TGraphics* graphics) override;
    void Flip(int sync) override;
    std::unique_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags) override;
    int Generation() const override { return generation_; }

    void SetBlend(int mode) override { blend_ = mode; }
    void SetAlpha(float alpha) override { alpha_ = alpha; }
    void SetColor(int r, int g, int b) override { r_ = r, g_ = g, b_ = b; }
    void SetClsColor(int r, int g, int b) override { clsR = r, clsG = g, clsB = b; }
    void SetViewport(int x, int y, int w, int h) override {
        vpX_ = x, vpY_ = y, vpW_ = w, vpH_ = h;
    }
    void SetTransform(float ix, float iy, float jx, float jy) override {
        ix_ = ix, iy_ = iy, jx_ = jx, jy_ = jy;
    }
    void SetLineWidth(float) override {}
    void Cls() override;
    void Plot(float x, float y) override;
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                  bool lastPixel) override;
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawPoly(const std::vector<float>& xy, float hx, float hy, float tx, float ty) override;
    void DrawPixmap(const TPixmap& pixmap, int x, int y) override;
    void DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1, float tx, float ty,
                   float sx, float sy, float sw, float sh) override;
    std::unique_ptr<TPixmap> GrabPixmap(int, int, int, int) override { return nullptr; }
    void SetResolution(float w, float h) override { resW_ = w, resH_ = h; }
    void DesktopSize(int& w, int& h) override { w = desktopW_, h = desktopH_; }

    void Clear() { calls.clear(); }
    // Calls of one kind, in order.
    std::vector<DrawCall> Of(DrawCall::Kind kind) const;
    int clsR = 0, clsG = 0, clsB = 0;

  private:
    DrawCall Make(DrawCall::Kind kind) const;
    int desktopW_, desktopH_;
    std::string name_;
    int generation_ = 0;
    int blend_ = 0;
    float alpha_ = 1;
    int r_ = 255, g_ = 255, b_ = 255;
    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    int vpX_ = 0, vpY_ = 0, vpW_ = 0, vpH_ = 0;
    float resW_ = 0, resH_ = 0;
};
