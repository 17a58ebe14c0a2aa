#include "toolkit/menu_item.h"

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/shape.h"

namespace {

// Only a fully deflected stick reads as off-centre once truncated, so a worn stick resting
// near an edge does not keep stepping the menu.
int StickX() {
    return Int(JoyX(0));
}
int StickY() {
    return Int(JoyY(0));
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
    return StickY() == -1;
}
bool StickDown() {
    return StickY() == 1;
}
bool StickRight() {
    return StickX() == 1;
}
bool StickLeft() {
    return StickX() == -1;
}

// The stick is read only after the key, the joystick count and the latch have had their say,
// so with no joystick attached nothing past JoyCount is asked.
int Direction(int key, bool (*stickThere)()) {
    if (KeyHit(key)) {
        SFX::Play(SFX::UI1);
        return 1;
    }
    if (JoyCount() == 0) return 0;
    if (TMenuItem::joyLatched == 1) return 0;
    if (!stickThere()) return 0;
    TMenuItem::joyLatched = 1;
    FlushJoy(-1);
    SFX::Play(SFX::UI1);
    return 1;
}

}  // namespace

std::unique_ptr<TMenuItem> TMenuItem::Add(int x, int y, const std::string& text) {
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
    if (StickX() == 0 && StickY() == 0) joyLatched = 0;
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
        SFX::Play(SFX::UI2);
        return 1;
    }
    if (JoyCount() == 0) return 0;
    // Button 0 confirms on every pad, bound or not, and does so without the confirm sound.
    if (JoyHit(0, 0)) {
        FlushJoy(-1);
        return 1;
    }
    if (JoyHit(cfgJoyAction, 0)) {
        FlushJoy(-1);
        SFX::Play(SFX::UI2);
        return 1;
    }
    return 0;
}
