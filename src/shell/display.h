#pragma once
// The real display and the 256 x 192 virtual screen fitted into it: scaled uniformly to the
// largest size that fits, centred, the spare width or height left as bars.

#include <memory>
#include <string>

class TGraphics;

class VirtualGfx {
  public:
    int vwidth = 0;
    int vheight = 0;
    float vxoff = 0;
    float vyoff = 0;
    float vscale = 0;

    static inline std::unique_ptr<VirtualGfx> currentVG;
    static inline int desktopWidth = 0;
    static inline int desktopHeight = 0;
    static inline int vgInitialised = 0;

    virtual ~VirtualGfx() = default;
    // A new current instance with these sizes, offsets and scale 0.
    static VirtualGfx* CreateVG(int width, int height);
    // Fits the virtual screen to the open display (ends the program when none is open).
    static void SetVirtualGraphics(int width, int height, int monitorStretch);
    // Mouse in virtual pixels, clamped to the visible screen.
    virtual float VMouseX();
    virtual float VMouseY();
    virtual int VirtualWidth() { return vwidth; }
    virtual int VirtualHeight() { return vheight; }
};

class DisplayClass {
  public:
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
    virtual void SetGraphics(int gW, int gH, int vW, int vH, int stretch);
    // Opens the stored mode again (after the renderer changed).
    virtual void Refresh();
    virtual void RefreshRate(int rate) { hertz = rate; }
    virtual int GetRefreshRate() { return hertz; }
    virtual void Windowed(const std::string& title);
    virtual void FullScreen(const std::string& title);
    virtual float MouseX();
    virtual float MouseY();
    virtual int Width();
    virtual int Height();
    // Drawing origin and clip rectangle in the coordinates of the visible virtual screen.
    virtual void SetOrigin(float x, float y);
    virtual void SetViewport(float x, float y, float w, float h);
    virtual void ClearViewPort();
    virtual void DrawText(const std::string& text, float x, float y);
};

extern std::unique_ptr<DisplayClass> display;
