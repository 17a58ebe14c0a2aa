#include "shell/display.h"

#include "toolkit/resets.h"

#include <algorithm>
#include <cmath>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "engine/text.h"
#include "toolkit/ui_gadget.h"

std::unique_ptr<DisplayClass> display;

VirtualGfx* VirtualGfx::CreateVG(int width, int height) {
    RegisterReset([] { currentVG.reset(); });
    currentVG = std::make_unique<VirtualGfx>();
    currentVG->vwidth = width;
    currentVG->vheight = height;
    return currentVG.get();
}

void VirtualGfx::SetVirtualGraphics(int vW, int vH, int stretch) {
    if (GraphicsWidth() == 0 || GraphicsHeight() == 0) {
        Notify("2222 Programmer error! Must call Graphics before SetVirtualGraphics", 1);
        End();
    }
    SetVirtualResolution(float(GraphicsWidth()), float(GraphicsHeight()));
    SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
    SetOrigin(0, 0);

    // Every buffer of the swap chain starts black. Nobody sees these frames, so they go at once
    // rather than on the frame schedule: the window's first real picture is not held up by them.
    int r, g, b;
    GetClsColor(r, g, b);
    SetClsColor(0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        Cls();
        Flip(0);
    }
    SetClsColor(r, g, b);

    CreateVG(vW, vH);
    Refit(stretch);
}

void VirtualGfx::Refit(int stretch) {
    VirtualGfx* vg = currentVG.get();
    if (!vg || GraphicsWidth() <= 0 || GraphicsHeight() <= 0) return;
    double gw = GraphicsWidth(), gh = GraphicsHeight();
    if (stretch != 0 && GraphicsDepth() != 0) {
        gw = desktopWidth;
        gh = desktopHeight;
    }
    // A window gets whole pixels; full screen keeps the largest uniform scale.
    const VirtualFit fit = FitVirtualScreen(gw, gh, vg->vwidth, vg->vheight, GraphicsDepth() == 0);
    vg->vscale = fit.scale;
    vg->vxoff = fit.xoff;
    vg->vyoff = fit.yoff;
    vg->fittedWidth = GraphicsWidth();
    vg->fittedHeight = GraphicsHeight();
    SetVirtualResolution(fit.areaWidth, fit.areaHeight);
    // The clip keeps the offsets' fractions, so it ends exactly at the picture's edges.
    SetViewportExact(fit.xoff, fit.yoff, float(vg->vwidth), float(vg->vheight));
    ::SetOrigin(fit.xoff, fit.yoff);
}

VirtualFit FitVirtualScreen(double gw, double gh, int vW, int vH, bool wholeScale) {
    VirtualFit fit;
    if (!(gw > 0) || !(gh > 0) || vW <= 0 || vH <= 0) return fit;
    const int whole = int(std::min(std::floor(gw / vW), std::floor(gh / vH)));
    if (wholeScale && whole >= 1) {
        fit.scale = float(whole);
        fit.areaWidth = float(gw / whole);
        fit.areaHeight = float(gh / whole);
        fit.xoff = float(std::floor((gw - double(vW) * whole) / 2) / whole);
        fit.yoff = float(std::floor((gh - double(vH) * whole) / 2) / whole);
        return fit;
    }
    const double gA = gw / gh, vA = double(vW) / double(vH);
    if (gA < vA) {
        // Relatively taller than the virtual screen: bars top and bottom.
        fit.scale = float(gw / vW);
        fit.areaWidth = float(vW);
        fit.areaHeight = float(vH * vA / gA);
        fit.yoff = float((gh - vH * double(fit.scale)) / fit.scale / 2);
    } else {
        fit.scale = float(gh / vH);
        fit.areaWidth = float(vW * gA / vA);
        fit.areaHeight = float(vH);
        fit.xoff = float((gw - vW * double(fit.scale)) / fit.scale / 2);
    }
    return fit;
}

int WindowScaleFor(int usableW, int usableH, int vW, int vH, int preferred) {
    if (usableW <= 0 || usableH <= 0 || vW <= 0 || vH <= 0) return preferred;
    const int fits = std::min(usableW / vW, (usableH - TITLE_BAR_ALLOWANCE) / vH);
    return std::clamp(fits, 1, preferred);
}

float VirtualGfx::VMouseX() {
    return std::clamp(VirtualMouseX() - vxoff, 0.0f, float(std::max(0, vwidth - 1)));
}

float VirtualGfx::VMouseY() {
    return std::clamp(VirtualMouseY() - vyoff, 0.0f, float(std::max(0, vheight - 1)));
}

void DisplayClass::SetGraphics(int gW, int gH, int vW, int vH, int stretch) {
    gWidth = gW;
    gHeight = gH;
    vWidth = vW;
    vHeight = vH;
    monitorStretch = stretch;
    EndGraphics();
    if (vWidth == 0 || vHeight == 0) useVirtualRes = 0;
    if (useVirtualRes) {
        VirtualGfx::desktopWidth = DesktopWidth();
        VirtualGfx::desktopHeight = DesktopHeight();
        VirtualGfx::vgInitialised = 1;
    }
    // Without a display there is nothing to play on: one message with the cause, and an exit
    // code that says it failed.
    if (!Graphics(gWidth, gHeight, depth, hertz, flags)) {
        Notify(AppTitle() + " cannot open its window: " + GraphicsFailure(), 1);
        EndWithError(1);
    }
    if (useVirtualRes) VirtualGfx::SetVirtualGraphics(vWidth, vHeight, monitorStretch);
}

void DisplayClass::Refresh() {
    SetGraphics(gWidth, gHeight, vWidth, vHeight, monitorStretch);
}

void DisplayClass::FollowWindowSize() {
    FollowWindowResize();
    const VirtualGfx* vg = VirtualGfx::currentVG.get();
    if (!useVirtualRes || !vg || !GraphicsOpen()) return;
    if (vg->fittedWidth == GraphicsWidth() && vg->fittedHeight == GraphicsHeight()) return;
    VirtualGfx::Refit(monitorStretch);
}

DisplayClass::DisplayClass() {
    // The gadget kit finds the mouse through the game's display.
    UIGadget::pointer = [](float& x, float& y) {
        if (!display) return false;
        x = display->MouseX();
        y = display->MouseY();
        return true;
    };
}

void DisplayClass::Windowed(const std::string& title) {
    AppTitle(title);
    depth = 0;
}

void DisplayClass::FullScreen(const std::string& title) {
    AppTitle(title);
    depth = 32;
}

float DisplayClass::MouseX() {
    if (useVirtualRes && VirtualGfx::currentVG) return VirtualGfx::currentVG->VMouseX();
    return float(::MouseX());
}

float DisplayClass::MouseY() {
    if (useVirtualRes && VirtualGfx::currentVG) return VirtualGfx::currentVG->VMouseY();
    return float(::MouseY());
}

int DisplayClass::Width() {
    if (useVirtualRes && VirtualGfx::currentVG) return VirtualGfx::currentVG->vwidth;
    return GraphicsWidth();
}

int DisplayClass::Height() {
    if (useVirtualRes && VirtualGfx::currentVG) return VirtualGfx::currentVG->vheight;
    return GraphicsHeight();
}

void DisplayClass::SetOrigin(float x, float y) {
    VirtualGfx* vg = VirtualGfx::currentVG.get();
    ::SetOrigin(x + (vg ? vg->vxoff : 0), y + (vg ? vg->vyoff : 0));
}

void DisplayClass::SetViewport(float x, float y, float w, float h) {
    VirtualGfx* vg = VirtualGfx::currentVG.get();
    // The offsets' fractions stay: a clip rounded to whole virtual pixels would cut real pixels
    // off a screen centred at a fractional offset.
    ::SetViewportExact(x + (vg ? vg->vxoff : 0), y + (vg ? vg->vyoff : 0), float(Int(w)),
                       float(Int(h)));
}

void DisplayClass::ClearViewPort() {
    ::SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
}

void DisplayClass::DrawText(const std::string& text, float x, float y) {
    ::DrawText(text, x, y);
}
