#pragma once
// Freezes a running stage and offers "CONTINUE" and "END GAME"; the music is paused and the stage
// timer stopped, so a pause costs no stage time.

#include <map>
#include <memory>
#include <string>

#include "shell/screen_manager.h"
#include "toolkit/menu_item.h"

class ScreenPause : public BaseScreenClass {
  public:
    std::map<std::string, std::unique_ptr<TMenuItem>> MenuItems;
    // 0 "CONTINUE", 1 "END GAME".
    int SelectedItemKey = 0;

    int Start() override;
    // Music and stage timer carry on, whichever way the pause was left.
    int Finish() override;
    int Update() override;
    int Render() override;

  private:
    void Select(int key);
};
