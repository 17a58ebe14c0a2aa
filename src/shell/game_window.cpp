#include "shell/game_window.h"

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "shell/display.h"
#include "shell/settings.h"

namespace {
constexpr int kVirtualWidth = 256;
constexpr int kVirtualHeight = 192;
// The window is 4 x 256 by 4 x 192 = 1024 x 768 wherever it fits.
constexpr int kWindowScale = 4;
}  // namespace

std::string RendererLabel() {
    TRender2DDriver* d = GetGraphicsDriver();
    if (!d) return "";
    const std::string name = d->Name();
    if (name == "OpenGL") return "GL";
    if (name == "Direct3D 9") return "DX9";
    if (name == "Direct3D 7") return "DX7";
    return "";
}

void OpenDisplayFromSettings() {
    if (cfgFullscreen == 0) {
        display->FullScreen(gameTitle);
        display->SetGraphics(DesktopWidth(), DesktopHeight(), kVirtualWidth, kVirtualHeight, 0);
        HideMouse();
    } else {
        display->Windowed(gameTitle);
        // 4x where the desktop has room for it, smaller on a small screen with a panel.
        int usableW = 0, usableH = 0;
        UsableDesktopSize(usableW, usableH);
        const int scale =
            WindowScaleFor(usableW, usableH, kVirtualWidth, kVirtualHeight, kWindowScale);
        display->SetGraphics(kVirtualWidth * scale, kVirtualHeight * scale, kVirtualWidth,
                             kVirtualHeight, 0);
        ShowMouse();
    }
}
