#include "shell/display.h"

#include <algorithm>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "engine/text.h"

std::unique_ptr<DisplayClass> display;

VirtualGfx* VirtualGfx::CreateVG(int width, int height) {
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

    // Every buffer of the swap chain starts black.
    int r, g, b;
    GetClsColor(r, g, b);
    SetClsColor(0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        Cls();
        Flip(-1);
    }
    SetClsColor(r, g, b);

    VirtualGfx* vg = CreateVG(vW, vH);
    double gw = GraphicsWidth(), gh = GraphicsHeight();
    if (stretch != 0 && GraphicsDepth() != 0) {
        gw = desktopWidth;
        gh = desktopHeight;
    }
    double gA = gw / gh;
    double vA = double(vW) / double(vH);
    if (gA < vA) {
        // Relatively taller than the virtual screen: bars top and bottom.
        vg->vscale = float(gw / vW);
        SetVirtualResolution(float(vW), float(vH * vA / gA));
        vg->vxoff = 0;
        vg->vyoff = float((gh - vH * double(vg->vscale)) / vg->vscale / 2);
    } else {
        vg->vscale = float(gh / vH);
        SetVirtualResolution(float(vW * gA / vA), float(vH));
        vg->vxoff = float((gw - vW * double(vg->vscale)) / vg->vscale / 2);
        vg->vyoff = 0;
    }
    SetViewport(Int(vg->vxoff), Int(vg->vyoff), vW, vH);
    SetOrigin(vg->vxoff, vg->vyoff);
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
    ::SetViewport(Int(x + (vg ? vg->vxoff : 0)), Int(y + (vg ? vg->vyoff : 0)), Int(w), Int(h));
}

void DisplayClass::ClearViewPort() {
    ::SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
}

void DisplayClass::DrawText(const std::string& text, float x, float y) {
    ::DrawText(text, x, y);
}
