#pragma once
// The drawing layer: one current display, one current driver and the drawing state, as free
// functions. Everything is in virtual coordinates once SetVirtualResolution has run.

#include <memory>
#include <string>
#include <vector>

#include "engine/pixmap.h"
#include "engine/render2d_driver.h"

// A picture: pixel buffers kept in memory and the driver frames made from them on first draw,
// made again after the display is reopened.
class TImage {
  public:
    int width = 0;
    int height = 0;
    int flags = 0;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0, handle_y = 0;
    std::vector<std::unique_ptr<TPixmap>> pixmaps;
    std::vector<std::unique_ptr<TImageFrame>> frames;
    std::vector<int> seqs;

    // The driver frame for drawing, or null when the frame does not exist.
    TImageFrame* Frame(int index);
};

// The current drawing state.
struct TRender2DGraphics {
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1;
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1;
    float tform_rot = 0, tform_scale_x = 1, tform_scale_y = 1;
    float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
    // The clip rectangle in virtual coordinates; fractions are kept so that a clip at a bar's
    // edge lands on the exact window pixel.
    float viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0, origin_y = 0;
    float handle_x = 0, handle_y = 0;
    int blend_mode = SOLIDBLEND;
    float vres_width = 0, vres_height = 0;
    float vres_mousexscale = 1, vres_mouseyscale = 1;
    int g_width = 0, g_height = 0;
    int g_depth = 0, g_hertz = 0;
};

// The drawing state of the open display (all defaults when none is open).
const TRender2DGraphics& GraphicsState();

// Selects the driver for later Graphics calls. Not owned; it must outlive its use.
void SetGraphicsDriver(TRender2DDriver* driver, int defaultFlags = GRAPHICS_BACKBUFFER);
// The driver selected; null before any.
TRender2DDriver* GetGraphicsDriver();

// Closes any display and opens a window (depth 0) or full screen. False when it cannot, with the
// reason in GraphicsFailure.
bool Graphics(int width, int height, int depth = 0, int hertz = 60, int flags = -1);
// Why the last Graphics call failed, in words for the player; empty after a success.
const std::string& GraphicsFailure();
// Closes the display, if one is open; its images make their frames again on the next draw.
void EndGraphics();
// The open window was resized to width x height pixels (the user's drag, maximise, the desktop's
// full-screen command): the drawing area, the virtual resolution's scale and the clip follow.
void GraphicsResized(int width, int height);
// Takes the window's size when the platform reported a change since (see TakeWindowSize) as the
// display's size, as GraphicsResized does. Called once a frame, before the picture is fitted.
void FollowWindowResize();
// True while a display is open.
bool GraphicsOpen();
// The open display's size in real pixels, its depth (0 for a window) and rate; 0 without one.
int GraphicsWidth();
int GraphicsHeight();
int GraphicsDepth();
int GraphicsHertz();
// The desktop's size in pixels.
int DesktopWidth();
int DesktopHeight();
// The part of the desktop a window may take, without panels and docks.
void UsableDesktopSize(int& width, int& height);

// Presents the frame. -1: software pacing at the display's rate for a window; 1: vertical sync,
// and never faster than 60 frames a second even when the display ignores the request; 0: at once.
void Flip(int sync = -1);
// Frames presented since the program began.
long long FlipCount();

// Fills the whole display with the clear colour, whatever the clip.
void Cls();
// The clear colour, 0 .. 255 a channel, and reading it back.
void SetClsColor(int r, int g, int b);
void GetClsColor(int& r, int& g, int& b);
// The colour that tints every draw, and reading it back.
void SetColor(int r, int g, int b);
void GetColor(int& r, int& g, int& b);
// The opacity, 0 .. 1, of every draw, and reading it back.
void SetAlpha(float alpha);
float GetAlpha();
// The blend mode of every draw (MASKBLEND, SOLIDBLEND, ALPHABLEND, ...), and reading it back.
void SetBlend(int mode);
int GetBlend();
// Rotation in degrees and scale of every draw, about its handle.
void SetTransform(float rotation = 0, float scaleX = 1, float scaleY = 1);
// What every draw position is offset by, in virtual coordinates, and reading it back.
void SetOrigin(float x, float y);
void GetOrigin(float& x, float& y);
// The point of a primitive that lands on its draw position.
void SetHandle(float x, float y);
// The width of lines, in real pixels.
void SetLineWidth(float width);
// Clip rectangle in virtual coordinates.
void SetViewport(int x, int y, int width, int height);
// The same with fractions of a virtual pixel kept (a screen centred at a fractional offset).
void SetViewportExact(float x, float y, float width, float height);
// The clip rectangle, each value truncated toward zero.
void GetViewport(int& x, int& y, int& width, int& height);
// The coordinate space of every draw: (0, 0) to (width, height) stretched over the display.
void SetVirtualResolution(float width, float height);
float VirtualResolutionWidth();
float VirtualResolutionHeight();
// The mouse in virtual-resolution units.
float VirtualMouseX();
float VirtualMouseY();
// The colour that loads as transparent in masked images without alpha.
void SetMaskColor(int r, int g, int b);

// One pixel at (x, y).
void Plot(float x, float y);
// A filled rectangle with its handle at (x, y), transformed.
void DrawRect(float x, float y, float width, float height);
// A line from (x, y) to (x2, y2); its end pixel only with drawLastPixel.
void DrawLine(float x, float y, float x2, float y2, int drawLastPixel = 1);
// A filled oval inside the rectangle with its handle at (x, y), transformed.
void DrawOval(float x, float y, float width, float height);
// A filled convex polygon of xy pairs, offset by the origin and the handle, transformed.
void DrawPoly(const std::vector<float>& xy);
// The pixels unscaled at real pixel (x, y), ignoring the transform.
void DrawPixmap(const TPixmap& pixmap, int x, int y);

// Text in the built-in 8 x 8 font.
void DrawText(const std::string& text, float x, float y);
int TextWidth(const std::string& text);
int TextHeight(const std::string& text);

// PNG from an "incbin::" name or a path; null when unreadable or undecodable. flags -1 gives
// masked and filtered.
std::unique_ptr<TImage> LoadImage(const std::string& source, int flags = -1);
std::unique_ptr<TImage> CreateImageFromPixmap(std::unique_ptr<TPixmap> pixmap, int flags);
void DrawSubImageRect(TImage& image, float x, float y, float w, float h, float sx, float sy,
                      float sw, float sh, float hx = 0, float hy = 0, int frame = 0);
void DrawImageRect(TImage& image, float x, float y, float w, float h, int frame = 0);
void DrawImage(TImage& image, float x, float y, int frame = 0);

// Back-buffer pixels of the current display, in window pixels.
std::unique_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height);

// Puts the drawing state back to its defaults (tests).
void ResetGraphicsState();
