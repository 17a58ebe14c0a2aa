#include "toolkit/ui_gadget.h"

#include <algorithm>
#include <cstdlib>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "toolkit/anim.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/shape.h"

namespace {

constexpr int kLeftButton = 1;
constexpr int kBlinkMs = 500;
// Room between a text box's bevel and its text.
constexpr int kTextInset = 2;

// Restores the caller's colour when a gadget is done drawing.
class ColourKeeper {
  public:
    ColourKeeper() { GetColor(r_, g_, b_); }
    ~ColourKeeper() { SetColor(r_, g_, b_); }
    ColourKeeper(const ColourKeeper&) = delete;
    ColourKeeper& operator=(const ColourKeeper&) = delete;

  private:
    int r_ = 255, g_ = 255, b_ = 255;
};

// The game font when it exists, else the engine's own 8 x 8 text. The empty text measures 0
// here, not one advance as the font's Width gives, since it is used to place cursors and gaps.
int TextW(const std::string& text) {
    if (text.empty()) return 0;
    return gameFont ? gameFont->Width(text) : TextWidth(text);
}
int Advance() {
    return TextW(" ");
}
int TextH() {
    return gameFont ? gameFont->Height() : TextHeight("");
}

void DrawLeft(const std::string& text, int tx, int ty) {
    if (text.empty()) return;
    if (gameFont) {
        gameFont->Draw(text, tx, ty, TBitMapFont::ALIGN_LEFT);
    } else {
        DrawText(text, float(tx), float(ty));
    }
}

void Fill(int fx, int fy, int fw, int fh) {
    if (fw <= 0 || fh <= 0) return;
    Shape::DrawRect(float(fx), float(fy), float(fw), float(fh), 1, 1);
}

int MouseAlong(bool vertical) {
    float mx = 0, my = 0;
    if (!UIGadget::pointer || !UIGadget::pointer(mx, my)) return 0;
    return Int(vertical ? my : mx);
}

}  // namespace

UIGadget::~UIGadget() {
    if (Owns()) ownerId = 0;
}

void UIGadget::Reset() {
    nextId = 0;
    ownerId = 0;
}

void UIGadget::Place(int px, int py, int w, int h, const std::string& text,
                     const UIGadget* parent) {
    id = ++nextId;
    x = px + (parent ? parent->x : 0);
    y = py + (parent ? parent->y : 0);
    width = w;
    height = h;
    label = text;
}

std::unique_ptr<UIButton> UIGadget::UICreateButton(int x, int y, int width, int height,
                                                   const std::string& label,
                                                   const UIGadget* parent) {
    auto button = std::make_unique<UIButton>();
    button->Place(x, y, width, height, label, parent);
    return button;
}

std::unique_ptr<UIPanel> UIGadget::UICreatePanel(int x, int y, int width, int height,
                                                 const std::string& label, const UIGadget* parent) {
    auto panel = std::make_unique<UIPanel>();
    panel->Place(x, y, width, height, label, parent);
    panel->depth = 1;
    return panel;
}

std::unique_ptr<UITextBox> UIGadget::UICreateTextBox(int x, int y, int width, int height,
                                                     const std::string& label,
                                                     const UIGadget* parent) {
    auto box = std::make_unique<UITextBox>();
    box->Place(x, y, width, height, label, parent);
    box->x += TextWidth(label + " ");
    return box;
}

std::unique_ptr<UICheckBox> UIGadget::UICreateCheckBox(int x, int y, int width, int height,
                                                       const std::string& label,
                                                       const UIGadget* parent) {
    auto check = std::make_unique<UICheckBox>();
    check->Place(x, y, width, height, label, parent);
    check->dummybutton = UICreateButton(check->x, check->y, width, height, "");
    check->SetState(0);
    return check;
}

int UIGadget::MouseOver() {
    float mx = 0, my = 0;
    if (!pointer || !pointer(mx, my)) return 0;
    return float(x) < mx && mx < float(x + width) && float(y) < my && my < float(y + height);
}

void UIGadget::Hide() {
    hidden = 1;
    LetGo();
}

void UIGadget::Show() {
    hidden = 0;
}

void UIGadget::Enable() {
    enabled = 1;
}

void UIGadget::Disable() {
    enabled = 0;
    LetGo();
}

void UIGadget::ResetColor() {
    SetColor(255, 255, 255);
}
void UIGadget::SetColorBase() {
    SetColor(100, 100, 100);
}
void UIGadget::SetColorShadow() {
    SetColor(55, 55, 55);
}
void UIGadget::SetColorHighlight() {
    SetColor(190, 190, 190);
}
void UIGadget::SetTextColor() {
    SetColor(225, 225, 225);
}
void UIGadget::SetAltTextColor() {
    SetColor(25, 25, 25);
}
void UIGadget::SetAltTextColor2() {
    SetColor(120, 120, 120);
}

void UIGadget::LetGo() {
    pressed = 0;
    if (Owns()) ownerId = 0;
}

bool UIGadget::Inactive() {
    if (!hidden && enabled) return false;
    LetGo();
    return true;
}

void UIGadget::Bevel(int bx, int by, int bw, int bh, bool raised, int thickness) {
    const int t = std::min({thickness, bw / 2, bh / 2});
    if (t <= 0) return;
    raised ? SetColorHighlight() : SetColorShadow();
    Fill(bx, by, bw, t);
    Fill(bx, by, t, bh);
    raised ? SetColorShadow() : SetColorHighlight();
    Fill(bx, by + bh - t, bw, t);
    Fill(bx + bw - t, by, t, bh);
}

int UIButton::Update() {
    if (Inactive()) return 0;
    if (!pressed) {
        if (MouseOver() && NobodyOwns() && MouseDown(kLeftButton)) {
            TakeOwnership();
            pressed = 1;
        }
        return 0;
    }
    // Someone took the mouse from under us (a reset); the press is void.
    if (!Owns()) {
        pressed = 0;
        return 0;
    }
    if (MouseDown(kLeftButton)) return 0;
    LetGo();
    FlushMouse();
    return MouseOver();
}

void UIButton::Render() {
    if (hidden) return;
    ColourKeeper keep;
    const bool down = forcedDepressed || (pressed && MouseOver());
    SetColorBase();
    Fill(x, y, width, height);
    Bevel(x, y, width, height, !down, 1);
    enabled ? SetTextColor() : SetAltTextColor2();
    const int shift = down ? 1 : 0;
    DrawLeft(label, x + (width - TextW(label)) / 2 + shift, y + (height - TextH()) / 2 + shift);
}

void UIPanel::Render() {
    if (hidden) return;
    ColourKeeper keep;
    // A bevel deeper than half the panel would only paint over itself.
    const int half = std::max(0, std::min(width, height) / 2);
    const int t = int(std::min<long long>(std::llabs(depth), half));
    SetColorBase();
    Fill(x, y, width, height);
    Bevel(x, y, width, height, depth >= 0 && !forcedDepressed, t);
    if (label.empty()) return;
    enabled ? SetTextColor() : SetAltTextColor2();
    const int tx = align == ALIGN_RIGHT ? x + width - t - 2 - TextW(label) : x + t + 2;
    DrawLeft(label, tx, y + t + 2);
}

int UITextBox::Update() {
    if (Inactive()) return 0;
    if (!pressed) {
        if (!(MouseOver() && NobodyOwns() && MouseDown(kLeftButton))) return 0;
        TakeOwnership();
        pressed = 1;
        cursorPos = int(value.size());
        blink = 1;
        blinktimer = GameMilliSecs();
        // The click that started the editing must not also end it, and whatever was typed
        // while nobody was listening is not part of it.
        FlushMouse();
        while (GetChar() != 0) {
        }
        KeyHit(vk::LEFT);
        KeyHit(vk::RIGHT);
        return 0;
    }
    if (!Owns()) {
        pressed = 0;
        return 0;
    }
    if (MouseDown(kLeftButton) && !MouseOver()) {
        EndEditing();
        return 1;
    }
    const GameTime now = GameMilliSecs();
    if (now - blinktimer >= kBlinkMs || now < blinktimer) {
        blink = blink ? 0 : 1;
        blinktimer = now;
    }
    // The arrows are keys, not typed characters: codes 37 and 39 in the character queue are
    // "%" and "'" and go into the text like any other.
    const int size = int(value.size());
    const int moved = std::clamp(cursorPos, 0, size) - KeyHit(vk::LEFT) + KeyHit(vk::RIGHT);
    cursorPos = std::clamp(moved, 0, size);
    for (int c = GetChar(); c != 0; c = GetChar()) {
        if (!Type(c)) {
            EndEditing();
            return 1;
        }
    }
    return 0;
}

bool UITextBox::Type(int code) {
    if (code == vk::ENTER || code == vk::ESCAPE) return false;
    cursorPos = std::clamp(cursorPos, 0, int(value.size()));
    if (code == vk::BACKSPACE) {
        if (cursorPos > 0) {
            value.erase(std::size_t(cursorPos - 1), 1);
            --cursorPos;
        }
    } else if (code >= 32 && code <= 255) {
        // Text is 8-bit; a character beyond that cannot be kept.
        value.insert(std::size_t(cursorPos), 1, char(code));
        ++cursorPos;
    } else {
        return true;
    }
    // Keep the cursor steady while typing.
    blink = 1;
    blinktimer = GameMilliSecs();
    return true;
}

void UITextBox::EndEditing() {
    LetGo();
    blink = 0;
}

void UITextBox::SetValue(const std::string& text) {
    value = text;
    cursorPos = std::clamp(cursorPos, 0, int(value.size()));
}

void UITextBox::Render() {
    if (hidden) return;
    ColourKeeper keep;
    const int ty = y + (height - TextH()) / 2;
    enabled ? SetTextColor() : SetAltTextColor2();
    DrawLeft(label, x - TextWidth(label + " "), ty);
    enabled ? SetColorHighlight() : SetColorBase();
    Fill(x, y, width, height);
    SetColorShadow();
    Fill(x, y, width, 1);
    Fill(x, y, 1, height);
    // Only as many characters as fit; while editing the text scrolls to keep the cursor in view.
    const int fit = std::max(0, (width - 2 * kTextInset) / Advance());
    const int cursor = std::clamp(cursorPos, 0, int(value.size()));
    const int first = Editing() ? std::max(0, cursor - fit) : 0;
    SetAltTextColor();
    DrawLeft(value.substr(std::size_t(first), std::size_t(fit)), x + kTextInset, ty);
    if (Editing() && blink) {
        const int cx = x + kTextInset + (cursor - first) * Advance() - 1;
        Fill(cx, ty, 1, TextH());
    }
}

int UICheckBox::Update() {
    if (Inactive()) return 0;
    if (!dummybutton) return 0;
    // The box may have been moved since it was made.
    dummybutton->x = x;
    dummybutton->y = y;
    dummybutton->width = width;
    dummybutton->height = height;
    if (!dummybutton->Update()) return 0;
    SetState(state ? 0 : 1);
    return 1;
}

void UICheckBox::SetState(int newState) {
    state = newState ? 1 : 0;
    // One character assigned, not a pointer: GCC 12 warns falsely about the latter when optimising.
    value.assign(1, state ? '1' : '0');
}

void UICheckBox::SetValue(const std::string& text) {
    SetState(ToInt(text));
}

void UICheckBox::LetGo() {
    UIGadget::LetGo();
    if (dummybutton) dummybutton->LetGo();
}

void UICheckBox::Render() {
    if (hidden) return;
    ColourKeeper keep;
    const int side = std::max(0, std::min(width, height));
    const int bx = align == ALIGN_RIGHT ? x + width - side : x;
    const int by = y + (height - side) / 2;
    const bool down = dummybutton && dummybutton->pressed && MouseOver();
    (enabled && !down) ? SetColorHighlight() : SetColorBase();
    Fill(bx, by, side, side);
    Bevel(bx, by, side, side, false, 1);
    if (state) {
        SetAltTextColor();
        const int inset = side > 6 ? 3 : side / 3;
        Fill(bx + inset, by + inset, side - 2 * inset, side - 2 * inset);
    }
    enabled ? SetTextColor() : SetAltTextColor2();
    const int ty = y + (height - TextH()) / 2;
    if (align == ALIGN_RIGHT) {
        DrawLeft(label, bx - 3 - TextW(label), ty);
    } else {
        DrawLeft(label, bx + side + 3, ty);
    }
}

std::unique_ptr<UISlider> UISlider::Create(int x, int y, int width, int height,
                                           const std::string& label, int range, int vertical,
                                           const UIGadget* parent) {
    auto slider = std::make_unique<UISlider>();
    slider->Place(x, y, width, height, label, parent);
    slider->Vertical = vertical ? 1 : 0;
    slider->SetRange(range);
    slider->SetValue("0");
    return slider;
}

void UISlider::SetRange(int r) {
    Range = std::max(0, r);
    // In 64 bits: Range + 1 overflows an int for the largest range.
    KnobSize = int(std::max(0, Length()) / (static_cast<long long>(Range) + 1));
    SetValue(FromInt(ValueInt));
}

void UISlider::SetValue(const std::string& text) {
    ValueInt = std::clamp(ToInt(text), 0, Range);
    value = FromInt(ValueInt);
}

int UISlider::ValueAt(int coord) const {
    const long long along = static_cast<long long>(coord) - Start();
    if (along <= 0 || Length() <= 0) return 0;
    const long long v =
        KnobSize > 0 ? along / KnobSize : along * (static_cast<long long>(Range) + 1) / Length();
    return int(std::clamp<long long>(v, 0, Range));
}

int UISlider::Update() {
    if (Inactive()) return 0;
    const int coord = MouseAlong(Vertical != 0);
    if (!pressed) {
        if (!(MouseOver() && NobodyOwns() && MouseDown(kLeftButton))) return 0;
        TakeOwnership();
        pressed = 1;
    } else if (!Owns()) {
        pressed = 0;
        return 0;
    } else if (!MouseDown(kLeftButton)) {
        LetGo();
        FlushMouse();
        return 0;
    } else if (coord == OldMouse) {
        return 0;
    }
    OldMouse = coord;
    const int before = ValueInt;
    SetValue(FromInt(ValueAt(coord)));
    return ValueInt != before ? 1 : 0;
}

void UISlider::Knob(int& from, int& length) const {
    const int len = std::max(0, Length());
    if (KnobSize > 0) {
        from = Start() + ValueInt * KnobSize;
        length = KnobSize;
        return;
    }
    const long long values = static_cast<long long>(Range) + 1;
    from = Start() + int(static_cast<long long>(ValueInt) * len / values);
    length = len > 0 ? 1 : 0;
}

void UISlider::Render() {
    if (hidden) return;
    ColourKeeper keep;
    SetColorShadow();
    Shape::DrawRect(float(x), float(y), float(width), float(height), 0, 2);
    SetColorBase();
    Fill(x, y, width, height);
    int from = 0, length = 0;
    Knob(from, length);
    if (!enabled) {
        SetAltTextColor2();
    } else {
        pressed ? SetTextColor() : SetColorHighlight();
    }
    if (Vertical) {
        Fill(x, from, width, length);
    } else {
        Fill(from, y, length, height);
    }
    if (label.empty()) return;
    enabled ? SetTextColor() : SetAltTextColor2();
    DrawLeft(label, x, y - 2 - 1 - TextH());
}
