#pragma once
// Shown when the final stage is cleared: a four-line congratulation, and the jump control back
// to the title with its music.

#include <array>
#include <string>

#include "shell/screen_manager.h"

class ScreenEnding : public BaseScreenClass {
  public:
    // Four texts of equal length, so their centred lines read as a left-aligned block.
    std::array<std::string, 4> Message;

    int Start() override;
    int Update() override;
    int Render() override;
};
