#pragma once
// OpenGL 3.3 renderer. Quads, lines and polygons are all triangles with a per-vertex colour and a
// per-vertex "textured" weight, so consecutive draws that share texture, blend, clip and
// resolution go out in one draw call.

#include <memory>

#include "engine/render2d_driver.h"

// The driver's state and batcher (gl_batch.h).
struct TGLState;

class TGLRender2DDriver : public TRender2DDriver {
  public:
    TGLRender2DDriver();
    ~TGLRender2DDriver() override;
    TGLRender2DDriver(const TGLRender2DDriver&) = delete;
    TGLRender2DDriver& operator=(const TGLRender2DDriver&) = delete;

    std::string Name() const override { return "OpenGL"; }
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::unique_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                              int flags) override;
    void SetGraphics(TGraphics* graphics) override;
    void Resized(int width, int height) override;
    void Flip(int sync) override;
    std::unique_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags) override;
    int Generation() const override;

    void SetBlend(int mode) override;
    void SetAlpha(float alpha) override;
    void SetColor(int r, int g, int b) override;
    void SetClsColor(int r, int g, int b) override;
    void SetViewport(int x, int y, int width, int height) override;
    void SetTransform(float ix, float iy, float jx, float jy) override;
    void SetLineWidth(float width) override;
    void Cls() override;
    void Plot(float x, float y) override;
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty,
                  bool lastPixel) override;
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx,
                  float ty) override;
    void DrawPixmap(const TPixmap& pixmap, int x, int y) override;
    void DrawFrame(TImageFrame& frame, float x0, float y0, float x1, float y1, float tx, float ty,
                   float sx, float sy, float sw, float sh) override;
    std::unique_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;
    void SetResolution(float width, float height) override;
    void DesktopSize(int& width, int& height) override;
    void UsableDesktopSize(int& width, int& height) override;
    std::string Failure() const override;

    // Off: every primitive is its own draw call (for measuring what batching saves).
    void SetBatching(bool on);
    // Draw calls issued in the frame last presented, and since the display opened.
    long long LastFrameDrawCalls() const;
    long long TotalDrawCalls() const;
    // Whether the display accepted the vertical-sync request.
    bool VSyncAccepted() const;

  private:
    std::unique_ptr<TGLState> impl_;
};

// The one OpenGL driver object of the program.
TGLRender2DDriver& GLMax2DDriver();
