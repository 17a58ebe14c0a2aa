#include "engine/render2d.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/input.h"
#include "engine/system.h"
#include "engine/text.h"
#include "engine/timing.h"

namespace {
#include "engine/builtin_font.inc"

TRender2DGraphics g_state;
TRender2DDriver* g_driver = nullptr;
int g_defaultFlags = GRAPHICS_BACKBUFFER;
std::unique_ptr<TGraphics> g_graphics;
long long g_flips = 0;
int g_maskR = 0, g_maskG = 0, g_maskB = 0;
std::unique_ptr<TImage> g_fontImage;

// Software frame pacing: the target advances by 1000 / hertz whole milliseconds per frame and the
// remainder is carried, so 60 Hz paces 16, 17, 17, 16, 17, 17 ...
struct Pacer {
    bool started = false;
    int target = 0;
    int remainder = 0;

    void Reset() { *this = Pacer{}; }
    void Wait(int hertz) {
        int now = MilliSecs();
        // The first frame has none before it to keep its distance from: it goes at once.
        if (!started) {
            started = true;
            target = now;
            return;
        }
        target += 1000 / hertz;
        remainder += 1000 - (1000 / hertz) * hertz;
        if (remainder >= hertz) {
            remainder -= hertz;
            target += 1;
        }
        int wait = target - now;
        if (wait > 0 && wait <= 1000)
            Delay(wait);
        else
            target = now;  // late (or the clock jumped): start the schedule again from here
    }
};
Pacer g_pacer;

void PushStateToDriver() {
    if (!g_driver || !g_graphics) return;
    g_driver->SetClsColor(g_state.clscolor_red, g_state.clscolor_green, g_state.clscolor_blue);
    g_driver->SetColor(g_state.color_red, g_state.color_green, g_state.color_blue);
    g_driver->SetAlpha(g_state.color_alpha);
    g_driver->SetBlend(g_state.blend_mode);
    g_driver->SetTransform(g_state.tform_ix, g_state.tform_iy, g_state.tform_jx, g_state.tform_jy);
    g_driver->SetLineWidth(g_state.line_width);
}

int Clamp255(int v) {
    return std::clamp(v, 0, 255);
}

// Converts the stored virtual clip rectangle to window pixels for the driver.
void ApplyViewport() {
    if (!g_driver || !g_graphics) return;
    double sx = g_state.vres_width > 0 ? g_state.g_width / double(g_state.vres_width) : 1.0;
    double sy = g_state.vres_height > 0 ? g_state.g_height / double(g_state.vres_height) : 1.0;
    int x0 = Int(std::lround(double(g_state.viewport_x) * sx));
    int y0 = Int(std::lround(double(g_state.viewport_y) * sy));
    int x1 = Int(std::lround((double(g_state.viewport_x) + g_state.viewport_w) * sx));
    int y1 = Int(std::lround((double(g_state.viewport_y) + g_state.viewport_h) * sy));
    g_driver->SetViewport(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

bool Ready() {
    return g_driver && g_graphics;
}

TImage* BuiltinFontImage() {
    if (g_fontImage) return g_fontImage.get();
    // 16 glyphs a row, 6 rows: codes 32..127.
    auto pixmap = std::make_unique<TPixmap>(128, 48);
    for (int g = 0; g < 96; ++g) {
        int ox = (g % 16) * 8, oy = (g / 16) * 8;
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 8; ++col)
                if (kBuiltinFont[g][row] & (0x80 >> col))
                    pixmap->WritePixel(ox + col, oy + row, 0xffffffffu);
    }
    pixmap->hasAlpha = true;
    g_fontImage = CreateImageFromPixmap(std::move(pixmap), 0);
    return g_fontImage.get();
}
}  // namespace

TImageFrame* TImage::Frame(int index) {
    if (index < 0 || index >= static_cast<int>(pixmaps.size()) || !Ready()) return nullptr;
    std::size_t i = static_cast<std::size_t>(index);
    if (frames.size() < pixmaps.size()) {
        frames.resize(pixmaps.size());
        seqs.resize(pixmaps.size(), 0);
    }
    if (!frames[i] || seqs[i] != g_driver->Generation()) {
        frames[i] = g_driver->CreateFrameFromPixmap(*pixmaps[i], flags);
        seqs[i] = g_driver->Generation();
    }
    return frames[i].get();
}

const TRender2DGraphics& GraphicsState() {
    return g_state;
}

void SetGraphicsDriver(TRender2DDriver* driver, int defaultFlags) {
    if (driver != g_driver) EndGraphics();
    g_driver = driver;
    g_defaultFlags = defaultFlags;
}

TRender2DDriver* GetGraphicsDriver() {
    return g_driver;
}

namespace {
std::string g_graphicsFailure;
}  // namespace

const std::string& GraphicsFailure() {
    return g_graphicsFailure;
}

namespace {
// Why a display of width x height did not open: the driver's reason, else `otherwise`.
bool Refused(const std::string& otherwise) {
    g_graphicsFailure = g_driver->Failure();
    if (g_graphicsFailure.empty()) g_graphicsFailure = otherwise;
    return false;
}

// The drawing state of a display just opened: its size, the whole of it as the viewport and the
// drawing resolution, the pacing started afresh.
void TakeNewDisplay(int depth, int hertz) {
    g_driver->SetGraphics(g_graphics.get());
    g_state.g_width = g_graphics->width;
    g_state.g_height = g_graphics->height;
    g_state.g_depth = depth;
    g_state.g_hertz = hertz;
    g_pacer.Reset();
    PushStateToDriver();
    g_state.viewport_x = g_state.viewport_y = 0;
    g_state.viewport_w = float(g_state.g_width);
    g_state.viewport_h = float(g_state.g_height);
    SetVirtualResolution(float(g_state.g_width), float(g_state.g_height));
}
}  // namespace

bool Graphics(int width, int height, int depth, int hertz, int flags) {
    // The display goes first on the way out: it may have changed the desktop's mode.
    AddExitHook(EndGraphics, ExitStage::Display);
    EndGraphics();
    g_graphicsFailure.clear();
    if (!g_driver) {
        g_graphicsFailure = "no graphics driver was chosen";
        return false;
    }
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0) {
        // A desktop of 0 x 0 (full screen asks for the desktop's size) means the platform found
        // no display: asking again brings its reason back.
        int desktopW = 0, desktopH = 0;
        g_driver->DesktopSize(desktopW, desktopH);
        return Refused("a " + size + " display cannot be opened");
    }
    g_graphics = g_driver->CreateGraphics(width, height, depth, hertz,
                                          (flags < 0 ? 0 : flags) | g_defaultFlags);
    if (!g_graphics) return Refused("the display refused a " + size + " mode");
    TakeNewDisplay(depth, hertz);
    FlushKeys();
    FlushMouse();
    return true;
}

void EndGraphics() {
    if (!g_graphics) return;
    if (g_driver) g_driver->SetGraphics(nullptr);
    g_graphics.reset();
    g_state.g_width = g_state.g_height = 0;
    FlushKeys();
    FlushMouse();
}

void GraphicsResized(int width, int height) {
    if (!Ready() || width <= 0 || height <= 0) return;
    if (width == g_state.g_width && height == g_state.g_height) return;
    // The virtual area keeps its size in virtual pixels until the display fits it again; the
    // clip and the mouse scale follow the new window size.
    g_state.g_width = g_graphics->width = width;
    g_state.g_height = g_graphics->height = height;
    g_driver->Resized(width, height);
    SetVirtualResolution(g_state.vres_width, g_state.vres_height);
}

void FollowWindowResize() {
    int width = 0, height = 0;
    if (TakeWindowSize(width, height)) GraphicsResized(width, height);
}

bool GraphicsOpen() {
    return Ready();
}
int GraphicsWidth() {
    return g_state.g_width;
}
int GraphicsHeight() {
    return g_state.g_height;
}
int GraphicsDepth() {
    return g_graphics ? g_state.g_depth : 0;
}
int GraphicsHertz() {
    return g_graphics ? g_state.g_hertz : 0;
}

int DesktopWidth() {
    int w = 0, h = 0;
    if (g_driver) g_driver->DesktopSize(w, h);
    return w;
}

int DesktopHeight() {
    int w = 0, h = 0;
    if (g_driver) g_driver->DesktopSize(w, h);
    return h;
}

void UsableDesktopSize(int& width, int& height) {
    width = height = 0;
    if (g_driver) g_driver->UsableDesktopSize(width, height);
    if (g_driver && (width <= 0 || height <= 0)) g_driver->DesktopSize(width, height);
}

void Flip(int sync) {
    if (!Ready()) return;
    if (sync == 1) {
        // Vertical sync is a request the display may ignore (or honour at 144 Hz); speeds are per
        // frame, so the frame must never come faster than a 60 Hz schedule.
        g_pacer.Wait(60);
        g_driver->Flip(1);
    } else if (sync < 0) {
        if (g_state.g_depth == 0 && g_state.g_hertz > 0) {
            g_pacer.Wait(g_state.g_hertz);
            g_driver->Flip(0);
        } else {
            g_driver->Flip(g_state.g_hertz > 0 ? 1 : 0);
        }
    } else {
        g_driver->Flip(0);
    }
    ++g_flips;
}

long long FlipCount() {
    return g_flips;
}

void Cls() {
    if (Ready()) g_driver->Cls();
}

void SetClsColor(int r, int g, int b) {
    g_state.clscolor_red = Clamp255(r);
    g_state.clscolor_green = Clamp255(g);
    g_state.clscolor_blue = Clamp255(b);
    if (Ready())
        g_driver->SetClsColor(g_state.clscolor_red, g_state.clscolor_green, g_state.clscolor_blue);
}

void GetClsColor(int& r, int& g, int& b) {
    r = g_state.clscolor_red;
    g = g_state.clscolor_green;
    b = g_state.clscolor_blue;
}

void SetColor(int r, int g, int b) {
    g_state.color_red = Clamp255(r);
    g_state.color_green = Clamp255(g);
    g_state.color_blue = Clamp255(b);
    if (Ready()) g_driver->SetColor(g_state.color_red, g_state.color_green, g_state.color_blue);
}

void GetColor(int& r, int& g, int& b) {
    r = g_state.color_red;
    g = g_state.color_green;
    b = g_state.color_blue;
}

void SetAlpha(float alpha) {
    g_state.color_alpha = std::isnan(alpha) ? 0.0f : std::clamp(alpha, 0.0f, 1.0f);
    if (Ready()) g_driver->SetAlpha(g_state.color_alpha);
}

float GetAlpha() {
    return g_state.color_alpha;
}

void SetBlend(int mode) {
    if (mode == g_state.blend_mode || mode < MASKBLEND || mode > SHADEBLEND) return;
    g_state.blend_mode = mode;
    if (Ready()) g_driver->SetBlend(mode);
}

int GetBlend() {
    return g_state.blend_mode;
}

void SetTransform(float rotation, float scaleX, float scaleY) {
    double r = double(rotation) * std::numbers::pi / 180.0;
    double c = std::cos(r), s = std::sin(r);
    g_state.tform_rot = rotation;
    g_state.tform_scale_x = scaleX;
    g_state.tform_scale_y = scaleY;
    g_state.tform_ix = float(c * scaleX);
    g_state.tform_iy = float(-s * scaleY);
    g_state.tform_jx = float(s * scaleX);
    g_state.tform_jy = float(c * scaleY);
    if (Ready())
        g_driver->SetTransform(g_state.tform_ix, g_state.tform_iy, g_state.tform_jx,
                               g_state.tform_jy);
}

void SetOrigin(float x, float y) {
    g_state.origin_x = x;
    g_state.origin_y = y;
}

void GetOrigin(float& x, float& y) {
    x = g_state.origin_x;
    y = g_state.origin_y;
}

void SetHandle(float x, float y) {
    g_state.handle_x = x;
    g_state.handle_y = y;
}

void SetLineWidth(float width) {
    g_state.line_width = width;
    if (Ready()) g_driver->SetLineWidth(width);
}

void SetViewport(int x, int y, int width, int height) {
    SetViewportExact(float(x), float(y), float(width), float(height));
}

void SetViewportExact(float x, float y, float width, float height) {
    // Anything but a finite number would make the window-pixel conversion undefined.
    auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
    g_state.viewport_x = finite(x);
    g_state.viewport_y = finite(y);
    g_state.viewport_w = std::max(0.0f, finite(width));
    g_state.viewport_h = std::max(0.0f, finite(height));
    ApplyViewport();
}

void GetViewport(int& x, int& y, int& width, int& height) {
    x = Int(g_state.viewport_x);
    y = Int(g_state.viewport_y);
    width = Int(g_state.viewport_w);
    height = Int(g_state.viewport_h);
}

void SetVirtualResolution(float width, float height) {
    if (!(width > 0) || !(height > 0)) return;
    g_state.vres_width = width;
    g_state.vres_height = height;
    g_state.vres_mousexscale = g_state.g_width > 0 ? width / float(g_state.g_width) : 1.0f;
    g_state.vres_mouseyscale = g_state.g_height > 0 ? height / float(g_state.g_height) : 1.0f;
    if (Ready()) g_driver->SetResolution(width, height);
    ApplyViewport();
}

float VirtualResolutionWidth() {
    return g_state.vres_width;
}
float VirtualResolutionHeight() {
    return g_state.vres_height;
}
float VirtualMouseX() {
    return float(MouseX()) * g_state.vres_mousexscale;
}
float VirtualMouseY() {
    return float(MouseY()) * g_state.vres_mouseyscale;
}

void SetMaskColor(int r, int g, int b) {
    g_maskR = Clamp255(r);
    g_maskG = Clamp255(g);
    g_maskB = Clamp255(b);
}

void Plot(float x, float y) {
    if (Ready()) g_driver->Plot(x + g_state.origin_x, y + g_state.origin_y);
}

void DrawRect(float x, float y, float width, float height) {
    if (!Ready()) return;
    float x0 = -g_state.handle_x, y0 = -g_state.handle_y;
    g_driver->DrawRect(x0, y0, x0 + width, y0 + height, x + g_state.origin_x, y + g_state.origin_y);
}

void DrawLine(float x, float y, float x2, float y2, int drawLastPixel) {
    if (!Ready()) return;
    float hx = g_state.handle_x, hy = g_state.handle_y;
    g_driver->DrawLine(-hx, -hy, x2 - x - hx, y2 - y - hy, x + g_state.origin_x,
                       y + g_state.origin_y, drawLastPixel != 0);
}

void DrawOval(float x, float y, float width, float height) {
    if (!Ready()) return;
    float x0 = -g_state.handle_x, y0 = -g_state.handle_y;
    g_driver->DrawOval(x0, y0, x0 + width, y0 + height, x + g_state.origin_x, y + g_state.origin_y);
}

void DrawPoly(const std::vector<float>& xy) {
    if (!Ready() || xy.size() < 6) return;
    g_driver->DrawPoly(xy, -g_state.handle_x, -g_state.handle_y, g_state.origin_x,
                       g_state.origin_y);
}

void DrawPixmap(const TPixmap& pixmap, int x, int y) {
    if (Ready()) g_driver->DrawPixmap(pixmap, x, y);
}

void DrawText(const std::string& text, float x, float y) {
    if (!Ready()) return;
    TImage* font = BuiltinFontImage();
    for (std::size_t i = 0; i < text.size(); ++i) {
        int c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 127) continue;
        int g = c - 32;
        DrawSubImageRect(*font, x + float(i) * 8, y, 8, 8, float((g % 16) * 8), float((g / 16) * 8),
                         8, 8);
    }
}

int TextWidth(const std::string& text) {
    return static_cast<int>(text.size()) * 8;
}
int TextHeight(const std::string&) {
    return 8;
}

std::unique_ptr<TImage> CreateImageFromPixmap(std::unique_ptr<TPixmap> pixmap, int flags) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    if (flags < 0) flags = MASKEDIMAGE | FILTEREDIMAGE;
    // The mask colour stands in for transparency only where the picture has none of its own.
    if ((flags & MASKEDIMAGE) && !pixmap->hasAlpha) {
        for (int y = 0; y < pixmap->height; ++y) {
            std::uint8_t* p = pixmap->Row(y);
            for (int x = 0; x < pixmap->width; ++x, p += 4)
                if (p[0] == g_maskR && p[1] == g_maskG && p[2] == g_maskB) p[3] = 0;
        }
    }
    auto image = std::make_unique<TImage>();
    image->width = pixmap->width;
    image->height = pixmap->height;
    image->flags = flags;
    image->mask_r = g_maskR;
    image->mask_g = g_maskG;
    image->mask_b = g_maskB;
    image->pixmaps.push_back(std::move(pixmap));
    image->frames.resize(1);
    image->seqs.resize(1, 0);
    return image;
}

std::unique_ptr<TImage> LoadImage(const std::string& source, int flags) {
    return CreateImageFromPixmap(LoadPixmap(source), flags);
}

void DrawSubImageRect(TImage& image, float x, float y, float w, float h, float sx, float sy,
                      float sw, float sh, float hx, float hy, int frame) {
    TImageFrame* f = image.Frame(frame);
    if (!f) return;
    float x0 = sw != 0 ? -hx * w / sw : -hx;
    float y0 = sh != 0 ? -hy * h / sh : -hy;
    g_driver->DrawFrame(*f, x0, y0, x0 + w, y0 + h, x + g_state.origin_x, y + g_state.origin_y, sx,
                        sy, sw, sh);
}

void DrawImageRect(TImage& image, float x, float y, float w, float h, int frame) {
    DrawSubImageRect(image, x, y, w, h, 0, 0, float(image.width), float(image.height),
                     image.handle_x, image.handle_y, frame);
}

void DrawImage(TImage& image, float x, float y, int frame) {
    DrawImageRect(image, x, y, float(image.width), float(image.height), frame);
}

std::unique_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) {
    if (!Ready() || width <= 0 || height <= 0) return nullptr;
    return g_driver->GrabPixmap(x, y, width, height);
}

void ResetGraphicsState() {
    int gw = g_state.g_width, gh = g_state.g_height, depth = g_state.g_depth,
        hertz = g_state.g_hertz;
    g_state = TRender2DGraphics{};
    g_state.g_width = gw;
    g_state.g_height = gh;
    g_state.g_depth = depth;
    g_state.g_hertz = hertz;
    g_state.viewport_w = float(gw);
    g_state.viewport_h = float(gh);
    PushStateToDriver();
    if (gw > 0 && gh > 0) SetVirtualResolution(float(gw), float(gh));
}
