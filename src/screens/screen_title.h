#pragma once
// The main menu: the title picture, "PLAY", "CONTROLS", "OPTIONS" and "QUIT" chosen with left
// and right, and a small spider that lowers itself on its thread and climbs back up.

#include <memory>

#include "screens/menu_screen.h"
#include "screens/title_spider.h"

class ScreenTitle : public TMenuScreen {
  public:
    // Lines: 0 "PLAY", 1 "CONTROLS", 2 "OPTIONS", 3 "QUIT".

    int Start() override;
    int Finish() override;
    int Update() override;
    int Render() override;
    // A new game: settings read again, lives, first stage, curtains closed, the ready screen.
    virtual int PlayGame();
    // To the controls screen.
    virtual int Controls();
    // To the options screen.
    virtual int Settings();
    // Ends the program at once, saving nothing.
    virtual int Quit();
};
