#pragma once
// A screen of menu lines keyed "0", "1", ... in order, one of them highlighted: the title menu,
// the options, the controls and the pause menu.

#include <map>
#include <memory>
#include <string>

#include "shell/screen_manager.h"
#include "toolkit/menu_item.h"

class TMenuScreen : public BaseScreenClass {
  public:
    std::map<std::string, std::unique_ptr<TMenuItem>> MenuItems;
    // The key of the highlighted line, as a number.
    int SelectedItemKey = 0;

  protected:
    // Moves the highlight to line `key`, wrapping round past either end; nothing without lines.
    void Select(int key);
};
