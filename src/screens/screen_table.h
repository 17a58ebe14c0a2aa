#pragma once
// The nine screens of the game, in the order start-up registers them.

#include <memory>
#include <span>

#include "shell/screen_manager.h"

struct ScreenEntry {
    const char* name;
    // Makes the one object that serves the name for the whole run.
    std::unique_ptr<BaseScreenClass> (*make)();
};

std::span<const ScreenEntry> GameScreens();
