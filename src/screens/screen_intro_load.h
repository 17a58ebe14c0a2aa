#pragma once
// The first screen: a blue field crossed by flickering yellow stripes, a grey panel with the
// program's name, "Loading....." and the credits, and the loading jingle. After six seconds it
// goes dark and half a second later the title follows; Escape, Space, Enter or joystick button 0
// skip straight to the title.

#include <memory>
#include <vector>

#include "shell/screen_manager.h"
#include "toolkit/anim.h"

// One horizontal stripe.
class TLoadBar {
  public:
    int BaseY = 0;
    int Y = 0;
    int EndY = 0;
    int Height = 0;

    static std::unique_ptr<TLoadBar> Add(int baseY);
    // New random thickness and jitter.
    void Init();
    void Render() const;
};

class ScreenIntroLoad : public BaseScreenClass {
  public:
    std::vector<std::unique_ptr<TLoadBar>> LoadBars;
    GameTime InitTimer = 0;
    GameTime WaitTime = 0;
    GameTime DarkTime = 0;
    int FlickerTime = 60;

    int Create() override;
    int Start() override;
    int Finish() override;
    int Update() override;
    int Render() override;
};
