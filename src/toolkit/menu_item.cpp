#include "toolkit/menu_item.h"

#include <cmath>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/resets.h"
#include "toolkit/shape.h"

namespace {

void PlayStep() {
    if (TMenuItem::context.playStep) TMenuItem::context.playStep();
}
void PlayChoice() {
    if (TMenuItem::context.playChoice) TMenuItem::context.playChoice();
}

// A stick pushed at least half way moves the menu, so a worn stick that no longer reaches its
// end still works; it must come back under 0.3 of the way before the next push counts, so a
// stick resting near the threshold does not keep stepping.
constexpr float STICK_PUSH = 0.5f;
constexpr float STICK_REST = 0.3f;

// The hat's directions, diagonals included: up-right is both up and right.
bool HatToward(float centre) {
    const float hat = JoyHat(0);
    if (hat < 0) return false;
    const float off = std::fabs(std::remainder(hat - centre, 1.0f));
    return off < 0.2f;
}

// The game always has its font by the time a menu is built; the engine's text keeps a menu
// readable (and measurable) should one be made before it.
int MeasureWidth(const std::string& text) {
    return gameFont ? gameFont->Width(text) : TextWidth(text);
}
int MeasureHeight() {
    return gameFont ? gameFont->Height() : TextHeight("");
}

void DrawCentred(const std::string& text, int x, int y) {
    if (gameFont) {
        gameFont->Draw(text, x, y, TBitMapFont::ALIGN_CENTER);
    } else {
        DrawText(text, float(x - TextWidth(text) / 2), float(y));
    }
}

bool StickUp() {
    return JoyY(0) <= -STICK_PUSH || HatToward(0);
}
bool StickDown() {
    return JoyY(0) >= STICK_PUSH || HatToward(0.5f);
}
bool StickRight() {
    return JoyX(0) >= STICK_PUSH || HatToward(0.25f);
}
bool StickLeft() {
    return JoyX(0) <= -STICK_PUSH || HatToward(0.75f);
}

// The stick is read only after the key, the joystick count and the latch have had their say,
// so with no joystick attached nothing past JoyCount is asked.
int Direction(int key, bool (*stickThere)()) {
    if (KeyHit(key)) {
        PlayStep();
        return 1;
    }
    if (JoyCount() == 0) return 0;
    if (TMenuItem::joyLatched == 1) return 0;
    if (!stickThere()) return 0;
    TMenuItem::joyLatched = 1;
    FlushJoy(-1);
    PlayStep();
    return 1;
}

}  // namespace

std::unique_ptr<TMenuItem> TMenuItem::Add(int x, int y, const std::string& text) {
    RegisterReset(&TMenuItem::Reset);
    auto item = std::make_unique<TMenuItem>();
    item->X = x;
    item->Y = y;
    item->Text = text;
    item->Width = MeasureWidth(text) + 2;
    item->Height = MeasureHeight() + 1;
    return item;
}

void TMenuItem::Render() {
    if (Selected) {
        SetColor(255, 255, 255);
        Shape::DrawRect(float(X - Width / 2), float(Y - 1), float(Width - 1), float(Height), 1, 1);
        SetColor(0, 0, 0);
    } else {
        SetColor(202, 202, 202);
    }
    DrawCentred(Text, X, Y);
    SetColor(255, 255, 255);
}

void TMenuItem::Update() {
    const bool resting =
        std::fabs(JoyX(0)) < STICK_REST && std::fabs(JoyY(0)) < STICK_REST && JoyHat(0) < 0;
    if (resting) joyLatched = 0;
}

void TMenuItem::SetText(const std::string& text) {
    Text = text;
}

int TMenuItem::Up() {
    return Direction(vk::UP, StickUp);
}
int TMenuItem::Down() {
    return Direction(vk::DOWN, StickDown);
}
int TMenuItem::Right() {
    return Direction(vk::RIGHT, StickRight);
}
int TMenuItem::Left() {
    return Direction(vk::LEFT, StickLeft);
}

int TMenuItem::Press() {
    // The keys are fixed; only the joystick's action button follows the player's bindings.
    if (KeyHit(vk::SPACE) || KeyHit(vk::ENTER)) {
        PlayChoice();
        return 1;
    }
    if (JoyCount() == 0) return 0;
    // Button 0 confirms on every pad, bound or not, and does so without the confirm sound.
    if (JoyHit(0, 0)) {
        FlushJoy(-1);
        return 1;
    }
    const TMenuContext& c = TMenuItem::context;
    if (c.joyAction && JoyHit(*c.joyAction, 0)) {
        FlushJoy(-1);
        PlayChoice();
        return 1;
    }
    return 0;
}
