#include "shell/game.h"

#include "engine/gl_driver.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/stream.h"
#include "engine/system.h"
#include "shell/display.h"
#include "shell/embedded_assets.h"
#include "shell/logic_controller.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "toolkit/anim.h"
#include "toolkit/tween.h"

std::unique_ptr<GameClass> game;

namespace {
constexpr int kVirtualWidth = 256;
constexpr int kVirtualHeight = 192;

void RegisterEmbeddedFiles() {
    for (const EmbeddedAsset& a : EmbeddedAssets())
        RegisterIncbin(a.name, a.begin, static_cast<std::size_t>(a.end - a.begin));
}

// Class-level data of every game class, in declaration order.
void InitClassData() { InitTweenEquations(); }

// The renderer the digit keys ask for. Only OpenGL exists on this platform, so all three keep it.
void SelectRenderer(int /*key*/) {
    TRender2DDriver* current = GetGraphicsDriver();
    if (current && current->Name() == "OpenGL") return;
    SetGraphicsDriver(&GLMax2DDriver(), GRAPHICS_BACKBUFFER);
    display->Refresh();
}
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

void GameClass::Begin() {
    const char* names[] = {"screen_stage_play", "screen_stage_ready", "screen_titlescreen",
                           "screen_ending",     "screen_introload",   "screen_config",
                           "screen_controls",   "screen_pause",       "screen_ctrl_config"};
    for (const char* name : names) screenManager->Add(name, std::make_unique<BaseScreenClass>());
    screenManager->Show("screen_introload");
}

void GameClass::Update() {
    UpdateTweenTime();
    screenManager->Update();
    if (KeyHit(49))
        SelectRenderer(49);
    else if (KeyHit(50))
        SelectRenderer(50);
    else if (KeyHit(51))
        SelectRenderer(51);
}

void GameClass::Render() {
    Cls();
    screenManager->Render();
    ScanLines();
    Flip(1);
}

void GameClass::Close() { End(); }

void GameClass::ScanLines() {
    if (cfgScanLines == 0) return;
    SetColor(0, 0, 0);
    SetAlpha(0.22f);
    // One line through the middle of every virtual row: on the 4x window one real row in four.
    const float width = float(display->Width());
    for (float y = 0; y < float(display->Height()); y += 1) DrawLine(-1, y + 0.5f, width, y + 0.5f, 1);
    SetAlpha(1);
    SetColor(255, 255, 255);
}

void OpenDisplayFromSettings() {
    if (cfgFullscreen == 0) {
        display->FullScreen(gameTitle);
        display->SetGraphics(DesktopWidth(), DesktopHeight(), kVirtualWidth, kVirtualHeight, 0);
        HideMouse();
    } else {
        display->Windowed(gameTitle);
        display->SetGraphics(1024, 768, kVirtualWidth, kVirtualHeight, 0);
        ShowMouse();
    }
}

void Startup(const StartupOptions& options) {
    RegisterEmbeddedFiles();
    InitClassData();
    screenManager = std::make_unique<ScreenClass>();
    display = std::make_unique<DisplayClass>();
    logicController = std::make_unique<TFixedRateLogicController>();
    InitGameClock();
    SetGraphicsDriver(options.driver ? options.driver : &GLMax2DDriver(), GRAPHICS_BACKBUFFER);
    InitConfigPath();
    LoadConfig();
    game = std::make_unique<GameClass>();
    display->RefreshRate(59);
    OpenDisplayFromSettings();
    SetBlend(ALPHABLEND);
    game->Begin();
}

void RunFrame() {
    game->Update();
    game->Render();
    if (AppTerminate()) game->Close();
}

void MainLoop() {
    logicController->Start();
    for (;;) RunFrame();
}

void ShutdownGame() {
    EndGraphics();
    game.reset();
    logicController.reset();
    display.reset();
    screenManager.reset();
    VirtualGfx::currentVG.reset();
    ResetConfig();
    configPath.clear();
    ClearIncbins();
}
