#pragma once
// The real display and the 256 x 192 virtual screen fitted into it: scaled uniformly to the
// largest size that fits, centred, the spare width or height left as bars.

#include <memory>
#include <string>

class TGraphics;

// Where the virtual screen sits on a real display of some size.
struct VirtualFit {
    // Real pixels per virtual pixel.
    float scale = 0;
    // The whole real display in virtual pixels.
    float areaWidth = 0;
    float areaHeight = 0;
    // The virtual screen's top-left corner inside that area, in virtual pixels.
    float xoff = 0;
    float yoff = 0;
};

// The virtual screen vW x vH fitted into a realW x realH display, centred. With `wholeScale` the
// largest whole scale that fits, so every virtual pixel is the same number of real ones, the
// offsets falling on whole real pixels (bars equal to within one pixel); a display smaller than
// the virtual screen, or no `wholeScale`, gets the largest uniform scale instead.
VirtualFit FitVirtualScreen(double realW, double realH, int vW, int vH, bool wholeScale);

// Real pixels kept free for a window's title bar when choosing the window's size.
constexpr int TITLE_BAR_ALLOWANCE = 40;
// The whole scale of the vW x vH screen for a new window: `preferred` where that window (and its
// title bar) fits a usable desktop area of usableW x usableH, else the largest that fits, at
// least 1. An unknown area (0) gets `preferred`.
int WindowScaleFor(int usableW, int usableH, int vW, int vH, int preferred);

class VirtualGfx {
  public:
    int vwidth = 0;
    int vheight = 0;
    float vxoff = 0;
    float vyoff = 0;
    float vscale = 0;

    // The real display size the current fit was made for.
    int fittedWidth = 0;
    int fittedHeight = 0;

    static inline std::unique_ptr<VirtualGfx> currentVG;
    static inline int desktopWidth = 0;
    static inline int desktopHeight = 0;
    static inline int vgInitialised = 0;

    virtual ~VirtualGfx() = default;
    // A new current instance with these sizes, offsets and scale 0.
    static VirtualGfx* CreateVG(int width, int height);
    // Fits the virtual screen to the open display (ends the program when none is open).
    static void SetVirtualGraphics(int width, int height, int monitorStretch);
    // Fits the current virtual screen again to the open display's present size.
    static void Refit(int monitorStretch);
    // Mouse across, in virtual pixels, clamped to the visible screen.
    virtual float VMouseX();
    // Mouse down, in virtual pixels, clamped to the visible screen.
    virtual float VMouseY();
    // The virtual screen's width in virtual pixels (256).
    virtual int VirtualWidth() { return vwidth; }
    // The virtual screen's height in virtual pixels (192).
    virtual int VirtualHeight() { return vheight; }
};

class DisplayClass {
  public:
    // Hands the gadget kit the display's mouse.
    DisplayClass();
    int gWidth = 0;
    int gHeight = 0;
    int vWidth = 0;
    int vHeight = 0;
    int monitorStretch = 0;
    int hertz = 60;
    int flags = 0;
    int depth = 0;
    int useVirtualRes = 1;
    TGraphics* gfx = nullptr;

    virtual ~DisplayClass() = default;
    // Opens the display at gW x gH real pixels (the desktop's size when full screen) with a
    // vW x vH virtual screen fitted into it; ends the program when it cannot be opened.
    virtual void SetGraphics(int gW, int gH, int vW, int vH, int stretch);
    // Opens the stored mode again (after the renderer changed).
    virtual void Refresh();
    // Fits the virtual screen again when the window's size changed since the last fit.
    virtual void FollowWindowSize();
    // The refresh rate the next SetGraphics asks for, in hertz.
    virtual void RefreshRate(int rate) { hertz = rate; }
    // The refresh rate asked for, in hertz.
    virtual int GetRefreshRate() { return hertz; }
    // The next SetGraphics opens a window with this caption.
    virtual void Windowed(const std::string& title);
    // The next SetGraphics opens full screen, the caption kept for the task list.
    virtual void FullScreen(const std::string& title);
    // The mouse across: virtual pixels of the visible screen with the virtual screen on, else
    // window pixels.
    virtual float MouseX();
    // The mouse down, in the same units as MouseX.
    virtual float MouseY();
    // The width layouts centre on: the virtual screen's (256) with it on, else the display's.
    virtual int Width();
    // The height layouts centre on: 192 with the virtual screen on, else the display's.
    virtual int Height();
    // Drawing origin and clip rectangle in the coordinates of the visible virtual screen.
    virtual void SetOrigin(float x, float y);
    // Clips the draws that follow to that rectangle of the visible virtual screen.
    virtual void SetViewport(float x, float y, float w, float h);
    // The clip rectangle back to the whole visible virtual screen.
    virtual void ClearViewPort();
    // The engine's built-in text at (x, y) of the visible virtual screen.
    virtual void DrawText(const std::string& text, float x, float y);
};

extern std::unique_ptr<DisplayClass> display;
