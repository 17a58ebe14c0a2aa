#pragma once
// One label of a menu, plain or highlighted, and the menu input every menu screen shares: up,
// down, left, right and confirm from the fixed keys or the first joystick, with the menu sounds.
// Which item is selected and what a confirmation does belong to the screens.

#include <memory>
#include <string>

// What menus take from the game around them: the sound of a step, the sound of a choice, and the
// pad button bound to choosing. The game's sound manager fills it in; empty, menus are silent and
// only button 0 chooses.
struct TMenuContext {
    void (*playStep)() = nullptr;
    void (*playChoice)() = nullptr;
    const int* joyAction = nullptr;
};

class TMenuItem {
  public:
    // Horizontal centre and top of the label, virtual pixels.
    int X = 0;
    int Y = 0;
    std::string Text;
    // Measured once by Add, so a later SetText keeps the highlight box of the first text.
    int Width = 0;
    int Height = 0;
    int Id = 0;
    int Selected = 0;

    // 1 once a joystick direction has been taken, until Update sees the stick centred: holding
    // the stick moves the selection once. Shared by every menu and kept across screens.
    static inline int joyLatched = 0;
    // Set once by the game; Reset leaves it.
    static inline TMenuContext context;

    virtual ~TMenuItem() = default;

    // Measured in the font's current style.
    static std::unique_ptr<TMenuItem> Add(int x, int y, const std::string& text);
    // Light grey text, or black text on a white bar when selected; ends with white.
    virtual void Render();
    // Re-arms the joystick directions; menu screens call it once per tick before the functions
    // below.
    static void Update();
    // Width and Height stay as they are.
    virtual void SetText(const std::string& text);

    // 1 when that move happened this tick: arrow keys, or the first joystick at full deflection.
    static int Up();
    static int Down();
    static int Right();
    static int Left();
    // 1 when the player confirmed this tick: space or enter, joystick button 0 (without a sound)
    // or the configured joystick action button.
    static int Press();

    // Class-level state back to its start (tests).
    static void Reset() { joyLatched = 0; }
};
