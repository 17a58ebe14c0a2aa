#include "top/game.h"

#include <thread>

#include "actors/enemy_kinds.h"
#include "engine/audio.h"
#include "engine/gl_driver.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/stream.h"
#include "engine/system.h"
#include "engine/timing.h"
#include "screens/screen_names.h"
#include "screens/screen_table.h"
#include "shell/display.h"
#include "shell/embedded_assets.h"
#include "shell/image.h"
#include "shell/logic_controller.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/anim.h"
#include "toolkit/atlas.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/resets.h"
#include "toolkit/tween.h"

std::unique_ptr<GameClass> game;

namespace {
// The sounds load on a thread of their own while the display opens: the window shows as soon as
// the platform can make it, and the effects are decoded and the music opened meanwhile.
std::thread& SoundLoader() {
    static std::thread loader;
    return loader;
}

void FinishLoadingSounds() {
    if (SoundLoader().joinable()) SoundLoader().join();
}

void LoadSoundsMeanwhile() {
    // A start-up that fails with the display ends the process while the sounds still load.
    AddExitHook(FinishLoadingSounds, ExitStage::Game);
    PrepareAudio();
    SoundLoader() = std::thread([] { SFX::Load(); });
}

// The renderer in use, top-left on every screen, above the scan lines. Drawn in the clear 8 x 8
// style; the style the screens left is put back, since some screens draw in the style the
// previous one set.
void DrawRendererLabel() {
    const std::string label = RendererLabel();
    if (!gameFont || label.empty()) return;
    const int style = gameFont->fntStyle;
    gameFont->SetStyle(0);
    gameFont->Draw(label, 0, 0, TBitMapFont::ALIGN_LEFT);
    gameFont->SetStyle(style);
}

// The renderer the digit keys ask for. Only OpenGL exists on this platform, so all three keep it.
void SelectRenderer(int /*key*/) {
    TRender2DDriver* current = GetGraphicsDriver();
    if (current && current->Name() == "OpenGL") return;
    SetGraphicsDriver(&GLMax2DDriver(), GRAPHICS_BACKBUFFER);
    display->Refresh();
}
}  // namespace

void GameClass::Begin() {
    for (const ScreenEntry& screen : GameScreens()) screenManager->Add(screen.name, screen.make());
    screenManager->Show(SCREEN_INTRO_LOAD);
}

void GameClass::Update() {
    // A lost sound output is noticed and opened again here, without holding the frame up.
    UpdateAudio();
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
    // Nobody sees a minimised or hidden window: draw nothing and rest instead of presenting.
    if (AppHidden()) {
        Delay(HIDDEN_FRAME_MS);
        return;
    }
    display->FollowWindowSize();
    Cls();
    screenManager->Render();
    ScanLines();
    DrawRendererLabel();
    Flip(1);
}

void GameClass::Close() {
    End();
}

void GameClass::ScanLines() {
    if (cfgScanLines == 0) return;
    SetColor(0, 0, 0);
    SetAlpha(0.22f);
    // One line through the middle of every virtual row: on the 4x window one real row in four.
    const float width = float(display->Width());
    for (float y = 0; y < float(display->Height()); y += 1)
        DrawLine(-1, y + 0.5f, width, y + 0.5f, 1);
    SetAlpha(1);
    SetColor(255, 255, 255);
}

namespace {
// The game-wide objects, each with the reset that lets it go again.
void CreateGameObjects() {
    atlasFile = std::make_unique<AtlasFileClass>();
    RegisterReset([] { atlasFile.reset(); });
    screenManager = std::make_unique<ScreenClass>();
    RegisterReset([] { screenManager.reset(); });
    display = std::make_unique<DisplayClass>();
    RegisterReset([] { display.reset(); });
    logicController = std::make_unique<TFixedRateLogicController>();
    RegisterReset([] { logicController.reset(); });
}

void ReadSettings() {
    InitConfigPath();
    LoadConfig();
    RegisterReset([] {
        ResetConfig();
        configPath.clear();
    });
}
}  // namespace

void Startup(const StartupOptions& options) {
    UseOneHeap();
    RegisterEmbeddedAssets();
    RegisterReset(&ClearIncbins);
    InitTweenEquations();
    LoadSoundsMeanwhile();
    CreateGameObjects();
    InitGameClock();
    SetGraphicsDriver(options.driver ? options.driver : &GLMax2DDriver(), GRAPHICS_BACKBUFFER);
    ReadSettings();
    game = std::make_unique<GameClass>();
    RegisterReset([] { game.reset(); });
    display->RefreshRate(59);
    OpenDisplayFromSettings();
    SetBlend(ALPHABLEND);
    AddEnemyPictures();
    Image::Load();
    // The loading screen starts its jingle.
    FinishLoadingSounds();
    ReturnFreedMemory();
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
    // What End would close (the sounds loading, the display, the sound, the platform), then
    // every singleton and game-wide object back to its start, the last made first.
    RunExitHooks();
    ResetSingletons();
}
