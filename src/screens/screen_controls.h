#pragma once
// The controls menu: configure the keyboard, configure the joystick (only with one attached),
// exit. The settings file is written whenever the screen is left.

#include <map>
#include <memory>
#include <string>

#include "shell/screen_manager.h"
#include "toolkit/menu_item.h"

class ScreenControls : public BaseScreenClass {
  public:
    std::map<std::string, std::unique_ptr<TMenuItem>> MenuItems;
    // 0 keyboard, 1 joystick, 2 exit.
    int SelectedItemKey = 0;

    // The three lines, the cursor on EXIT.
    int Start() override;
    // Clears the lines and saves the settings, also on the way to the configuration screen.
    int Finish() override;
    int Update() override;
    int Render() override;
    virtual int Quit();

  private:
    void Select(int key);
};
