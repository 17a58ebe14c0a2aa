#include "support/recording_driver.h"

#include "engine/render2d.h"

namespace {
class RecordedFrame : public TImageFrame {};
}  // namespace

std::unique_ptr<TGraphics> RecordingDriver::CreateGraphics(int width, int height, int depth,
                                                           int hertz, int flags) {
    if (refuseGraphics) return nullptr;
    auto g = std::make_unique<TGraphics>();
    g->width = width;
    g->height = height;
    g->depth = depth;
    g->hertz = hertz;
    g->flags = flags;
    return g;
}

void RecordingDriver::SetGraphics(TGraphics* graphics) {
    if (graphics) {
        ++openCount;
        generation_ = NewGraphicsGeneration();
    } else {
        generation_ = 0;
    }
}

void RecordingDriver::Flip(int sync) {
    ++flips;
    lastSync = sync;
    if (onFlip) onFlip(sync);
}

std::unique_ptr<TImageFrame> RecordingDriver::CreateFrameFromPixmap(const TPixmap&, int) {
    return std::make_unique<RecordedFrame>();
}

DrawCall RecordingDriver::Make(DrawCall::Kind kind) const {
    DrawCall c;
    c.kind = kind;
    c.r = r_, c.g = g_, c.b = b_;
    c.alpha = alpha_;
    c.blend = blend_;
    c.ix = ix_, c.iy = iy_, c.jx = jx_, c.jy = jy_;
    const TRender2DGraphics& s = GraphicsState();
    c.originX = s.origin_x;
    c.originY = s.origin_y;
    c.vpX = vpX_, c.vpY = vpY_, c.vpW = vpW_, c.vpH = vpH_;
    c.resW = resW_, c.resH = resH_;
    return c;
}

void RecordingDriver::Cls() {
    calls.push_back(Make(DrawCall::CLS));
}

void RecordingDriver::Plot(float x, float y) {
    DrawCall c = Make(DrawCall::PLOT);
    c.tx = x;
    c.ty = y;
    calls.push_back(c);
}

void RecordingDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                               bool lastPixel) {
    DrawCall c = Make(DrawCall::LINE);
    c.x0 = x0, c.y0 = y0, c.x1 = x1, c.y1 = y1, c.tx = tx, c.ty = ty;
    c.lastPixel = lastPixel;
    calls.push_back(c);
}

void RecordingDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    DrawCall c = Make(DrawCall::RECT);
    c.x0 = x0, c.y0 = y0, c.x1 = x1, c.y1 = y1, c.tx = tx, c.ty = ty;
    calls.push_back(c);
}

void RecordingDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
    DrawCall c = Make(DrawCall::OVAL);
    c.x0 = x0, c.y0 = y0, c.x1 = x1, c.y1 = y1, c.tx = tx, c.ty = ty;
    calls.push_back(c);
}

void RecordingDriver::DrawPoly(const std::vector<float>& xy, float hx, float hy, float tx,
                               float ty) {
    DrawCall c = Make(DrawCall::POLY);
    c.xy = xy;
    c.x0 = hx, c.y0 = hy, c.tx = tx, c.ty = ty;
    calls.push_back(c);
}

void RecordingDriver::DrawPixmap(const TPixmap&, int x, int y) {
    DrawCall c = Make(DrawCall::PIXMAP);
    c.tx = float(x);
    c.ty = float(y);
    calls.push_back(c);
}

void RecordingDriver::DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1,
                                float tx, float ty, float sx, float sy, float sw, float sh) {
    DrawCall c = Make(DrawCall::FRAME);
    c.frame = &frame;
    c.x0 = x0, c.y0 = y0, c.x1 = x1, c.y1 = y1, c.tx = tx, c.ty = ty;
    c.sx = sx, c.sy = sy, c.sw = sw, c.sh = sh;
    calls.push_back(c);
}

std::vector<DrawCall> RecordingDriver::Of(DrawCall::Kind kind) const {
    std::vector<DrawCall> out;
    for (const DrawCall& c : calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}
