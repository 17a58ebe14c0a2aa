#pragma once
// The options: music volume, sound effects, scan lines and the window, changed at once as the
// player steps through them and written to the settings file when the screen is left.

#include <string>

#include "screens/menu_screen.h"

class ScreenConfig : public TMenuScreen {
  public:
    // Lines: 0 music, 1 effects, 2 scan lines, 3 windowed, 4 exit.

    // The five lines, the cursor on EXIT.
    int Start() override;
    // Clears the lines and saves the settings.
    int Finish() override;
    int Update() override;
    int Render() override;
    // Back to the title screen; leaving the screen saves the settings.
    virtual int Quit();
    // Reopens the display for the current "Fullscreen" value, as start-up opens it.
    virtual int ChangeRes();

    // The fifteen-character texts of the four option lines for the current settings.
    static std::string MusicText();
    static std::string SoundText();
    static std::string ScanLinesText();
    static std::string WindowedText();

  private:
    void ActOnMusic();
    // A 0/1 setting stepped by right, press and left, wrapping round.
    static void Toggle(int& setting);
    void RefreshTexts();
};
