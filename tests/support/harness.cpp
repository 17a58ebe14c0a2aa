#include "support/harness.h"

#include <stdlib.h>

#include <fstream>

#include "engine/input.h"
#include "engine/render2d.h"
#include "shell/game.h"
#include "shell/screen_manager.h"
#include "toolkit/anim.h"

Harness::Harness(const HarnessOptions& options)
    : clock(1000), driver(options.desktopWidth, options.desktopHeight) {
    setenv("USERPROFILE", profile.Path().c_str(), 1);
    if (!options.settingsFile.empty()) {
        std::ofstream out(SettingsPath(), std::ios::binary);
        out << options.settingsFile;
    }
    ResetInput();
    ResetGraphicsState();
    StartupOptions startup;
    startup.driver = &driver;
    Startup(startup);
}

Harness::~Harness() {
    ShutdownGame();
    SetGraphicsDriver(nullptr);
    ResetGraphicsState();
    ResetInput();
    unsetenv("USERPROFILE");
}

void Harness::RunFrames(int frames) {
    for (int i = 0; i < frames; ++i) RunFrame();
}

void Harness::RunFor(int ms) {
    int until = GameMilliSecs() + ms;
    while (GameMilliSecs() < until) RunFrame();
}

void Harness::Press(int key) {
    PostInputEvent({InputEvent::KEY_DOWN, key});
}
void Harness::Release(int key) {
    PostInputEvent({InputEvent::KEY_UP, key});
}

void Harness::Hold(int key, int frames) {
    Press(key);
    RunFrames(frames);
    Release(key);
}

void Harness::Type(const std::string& text) {
    for (unsigned char c : text) PostInputEvent({InputEvent::CHAR, c});
}

std::string Harness::ActiveScreen() const {
    return screenManager ? screenManager->ActiveName() : "";
}
