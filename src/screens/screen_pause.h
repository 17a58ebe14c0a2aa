#pragma once
// Freezes a running stage and offers "CONTINUE" and "END GAME"; the music is paused and the stage
// timer stopped, so a pause costs no stage time.

#include "screens/menu_screen.h"

class ScreenPause : public TMenuScreen {
  public:
    // Lines: 0 "CONTINUE", 1 "END GAME".

    int Start() override;
    // Music and stage timer carry on, whichever way the pause was left.
    int Finish() override;
    int Update() override;
    int Render() override;
};
