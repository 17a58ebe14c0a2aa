#pragma once
// The top of the game: start-up, the frame loop and shutdown, above every screen. It makes the
// game-wide objects, registers the screens and shows the first one.

#include <memory>
#include <string>

#include "shell/game_window.h"

class TRender2DDriver;

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
// Destroys the game-wide objects again (tests).
void ShutdownGame();
