#pragma once
// The screen a stage is played on: it hands every tick and frame to the running stage and
// watches for the pause input.

#include "shell/screen_manager.h"

class ScreenStagePlay : public BaseScreenClass {
  public:
    // Start-up: reads the stage file, prepares the player and the running stage.
    int Create() override;
    // Does not load or reset the stage: a return from the pause continues it.
    int Start() override;
    int Finish() override;
    int Update() override;
    int Render() override;

    // Escape, the joystick's pause button or the pause key, tested in that order; each test uses
    // up its hits. 1 when one of them was hit.
    static int PauseHit();
};
