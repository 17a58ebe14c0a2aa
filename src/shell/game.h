#pragma once
// Start-up, the frame loop and the game-wide objects it creates.

#include <memory>
#include <string>

class TRender2DDriver;

inline std::string gameTitle = "Kestrune";

// Milliseconds the loop rests in place of a frame while the window is minimised or hidden.
constexpr int HIDDEN_FRAME_MS = 50;

class GameClass {
  public:
    virtual ~GameClass() = default;
    // Registers the screens and shows the first one.
    virtual void Begin();
    // Draws and presents one frame.
    virtual void Render();
    // One logic step of the whole game.
    virtual void Update();
    // Ends the program at once; nothing is saved.
    [[noreturn]] virtual void Close();
    // The scan-line overlay, when it is switched on.
    virtual void ScanLines();
};

extern std::unique_ptr<GameClass> game;

// What start-up may swap for tests; empty means the real program.
struct StartupOptions {
    // Replaces the OpenGL driver (a recording driver, say). Not owned.
    TRender2DDriver* driver = nullptr;
};

// Every start-up step from registering the embedded files to showing the first screen.
void Startup(const StartupOptions& options = {});
// One pass of the main loop: update, render, and the close request.
void RunFrame();
[[noreturn]] void MainLoop();

// Opens the display the settings ask for: the 1024 x 768 window (smaller where the desktop has no
// room for it) for 1 and any value other than 0 and 1, full screen at the desktop size for 0.
void OpenDisplayFromSettings();
// "GL", "DX9" or "DX7" for the renderer in use; empty for any other.
std::string RendererLabel();
// Destroys the game-wide objects again (tests).
void ShutdownGame();
