#include "shell/screen_manager.h"

#include <cstdio>

std::unique_ptr<ScreenClass> screenManager;

void ScreenClass::Add(const std::string& name, std::unique_ptr<BaseScreenClass> screen) {
    if (!screen) return;
    BaseScreenClass* raw = screen.get();
    auto it = screens.find(name);
    if (it != screens.end()) {
        // The old object goes away: never leave the manager pointing at it.
        if (activeScreen == it->second.get()) activeScreen = raw;
        it->second = std::move(screen);
    } else {
        screens.emplace(name, std::move(screen));
    }
    raw->Create();
}

void ScreenClass::Show(const std::string& name) {
    BaseScreenClass* next = Find(name);
    if (!next) {
        // No caller should name a screen that does not exist; staying put beats running with none.
        std::fprintf(stderr, "screen \"%s\" does not exist; staying on the current screen\n",
                     name.c_str());
        return;
    }
    if (activeScreen) activeScreen->Finish();
    activeScreen = next;
    next->Start();
}

void ScreenClass::Update() {
    if (activeScreen) activeScreen->Update();
}

void ScreenClass::Render() {
    if (activeScreen) activeScreen->Render();
}

BaseScreenClass* ScreenClass::Find(const std::string& name) const {
    auto it = screens.find(name);
    return it == screens.end() ? nullptr : it->second.get();
}

std::string ScreenClass::ActiveName() const {
    for (const auto& [name, screen] : screens)
        if (screen.get() == activeScreen) return name;
    return "";
}
