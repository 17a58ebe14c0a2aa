#include "screens/menu_screen.h"

#include "engine/text.h"

namespace {
void Highlight(std::map<std::string, std::unique_ptr<TMenuItem>>& items, int key, int on) {
    auto it = items.find(FromInt(key));
    if (it != items.end() && it->second) it->second->Selected = on;
}
}  // namespace

void TMenuScreen::Select(int key) {
    const int lines = int(MenuItems.size());
    if (lines == 0) return;
    Highlight(MenuItems, SelectedItemKey, 0);
    SelectedItemKey = (key % lines + lines) % lines;
    Highlight(MenuItems, SelectedItemKey, 1);
}
