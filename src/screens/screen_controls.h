#pragma once
// The controls menu: configure the keyboard, configure the joystick (only with one attached),
// exit. The settings file is written whenever the screen is left.

#include "screens/menu_screen.h"

class ScreenControls : public TMenuScreen {
  public:
    // Lines: 0 keyboard, 1 joystick, 2 exit.

    // The three lines, the cursor on EXIT.
    int Start() override;
    // Clears the lines and saves the settings, also on the way to the configuration screen.
    int Finish() override;
    int Update() override;
    int Render() override;
    // Back to the title screen.
    virtual int Quit();
};
