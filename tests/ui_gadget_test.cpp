#include <gtest/gtest.h>

#include <climits>

#include "engine/input.h"
#include "engine/render2d.h"
#include "support/fake_input.h"
#include "support/manual_clock.h"
#include "support/toolkit_screen.h"
#include "toolkit/anim.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/ui_gadget.h"

namespace {

// Gadgets in the game font on the game's window (1024 x 768, four window pixels to a virtual
// one), driven by posted mouse and key events, without the rest of the game. The pointer is the
// drawing layer's virtual mouse, as the game's display reports it on that window.
class Gadget : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInput();
        InitGameClock();
        UIGadget::Reset();
        gamePointer_ = UIGadget::pointer;
        UIGadget::pointer = [](float& x, float& y) {
            x = VirtualMouseX();
            y = VirtualMouseY();
            return true;
        };
        gameFont->SetStyle(0);
    }
    void TearDown() override {
        UIGadget::Reset();
        UIGadget::pointer = gamePointer_;
        ResetInput();
    }
    // The middle of virtual pixel (vx, vy).
    static void MoveTo(int vx, int vy) { MouseToVirtual(vx, vy); }
    static void Down() { MousePress(); }
    static void Up() { MouseRelease(); }
    static void Key(int key) { TapKey(key); }
    static void Type(const std::string& text) { TypeText(text); }
    // Press and release on (vx, vy), one Update for each.
    static int Click(UIGadget& g, int vx, int vy) {
        MoveTo(vx, vy);
        Down();
        int pressed = g.Update();
        Up();
        return pressed + g.Update();
    }
    std::vector<DrawCall> Rects() const { return window.driver.Of(DrawCall::RECT); }
    ManualClock clock{1000};
    RecordedWindow window;
    EmbeddedFont font;

  private:
    bool (*gamePointer_)(float& x, float& y) = nullptr;
};

TEST_F(Gadget, CreationNumbersPlacesAndOffsets) {
    auto panel = UIGadget::UICreatePanel(10, 20, 100, 80, "TOOLS");
    auto button = UIGadget::UICreateButton(5, 6, 40, 12, "OK", panel.get());
    auto box = UIGadget::UICreateTextBox(0, 30, 60, 10, "NAME", panel.get());
    auto check = UIGadget::UICreateCheckBox(4, 50, 50, 10, "FAST", panel.get());
    auto slider = UISlider::Create(1, 2, 50, 8, "", 4, 0);
    ASSERT_NE(check->dummybutton, nullptr);
    // Ids from 1, the inner button taking one of its own.
    EXPECT_EQ((std::vector<int>{panel->id, button->id, box->id, check->id, check->dummybutton->id,
                                slider->id}),
              (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(button->x, 15);
    EXPECT_EQ(button->y, 26);
    // "NAME " is 40 pixels of engine text; the label stands in that gap.
    EXPECT_EQ(box->x, 10 + 40);
    EXPECT_EQ(box->y, 50);
    EXPECT_EQ(check->dummybutton->x, 14);
    EXPECT_EQ(check->dummybutton->y, 70);
    EXPECT_EQ(slider->x, 1);
}

TEST_F(Gadget, MouseOverIsStrictlyInside) {
    auto button = UIGadget::UICreateButton(20, 30, 10, 5, "");
    auto at = [&](int wx, int wy) {
        PostInputEvent({InputEvent::MOUSE_MOVE, 0, wx, wy});
        return button->MouseOver();
    };
    EXPECT_EQ(at(20 * 4 + 1, 30 * 4 + 1), 1);
    EXPECT_EQ(at(30 * 4 - 1, 35 * 4 - 1), 1);
    EXPECT_EQ(at(20 * 4, 32 * 4), 0);  // on the left edge
    EXPECT_EQ(at(25 * 4, 35 * 4), 0);  // on the bottom edge
    EXPECT_EQ(at(30 * 4, 32 * 4), 0);
}

TEST_F(Gadget, AClickIsAPressAndAReleaseOverTheButton) {
    auto button = UIGadget::UICreateButton(20, 20, 40, 12, "GO");
    MoveTo(30, 25);
    EXPECT_EQ(button->Update(), 0);  // hovering is not pressing
    Down();
    EXPECT_EQ(button->Update(), 0);
    EXPECT_EQ(button->pressed, 1);
    EXPECT_EQ(UIGadget::ownerId, button->id);
    EXPECT_EQ(button->Update(), 0);  // held
    Up();
    EXPECT_EQ(button->Update(), 1);
    EXPECT_EQ(button->pressed, 0);
    EXPECT_EQ(UIGadget::ownerId, 0);
    EXPECT_EQ(button->Update(), 0);  // reported once

    // Released away from the button: no click, and the mouse is free again.
    Down();
    button->Update();
    MoveTo(100, 100);
    Up();
    EXPECT_EQ(button->Update(), 0);
    EXPECT_EQ(UIGadget::ownerId, 0);
    EXPECT_EQ(MouseDown(1), 0);
}

TEST_F(Gadget, OnlyOneGadgetOwnsTheMouse) {
    // Overlapping buttons: the first to see the press keeps it.
    auto a = UIGadget::UICreateButton(20, 20, 40, 12, "A");
    auto b = UIGadget::UICreateButton(30, 20, 40, 12, "B");
    MoveTo(40, 25);
    Down();
    a->Update();
    b->Update();
    EXPECT_EQ(a->pressed, 1);
    EXPECT_EQ(b->pressed, 0);
    Up();
    EXPECT_EQ(b->Update(), 0);
    EXPECT_EQ(a->Update(), 1);

    // A button destroyed while it is held gives the mouse back.
    Down();
    b->Update();
    EXPECT_EQ(UIGadget::ownerId, b->id);
    b.reset();
    EXPECT_EQ(UIGadget::ownerId, 0);
    a->Update();
    EXPECT_EQ(a->pressed, 1);
}

TEST_F(Gadget, HiddenOrDisabledGadgetsIgnoreInputAndLetGo) {
    auto button = UIGadget::UICreateButton(20, 20, 40, 12, "GO");
    auto other = UIGadget::UICreateButton(100, 20, 40, 12, "NO");
    button->Disable();
    EXPECT_EQ(Click(*button, 30, 25), 0);
    button->Enable();
    button->Hide();
    EXPECT_EQ(Click(*button, 30, 25), 0);
    button->Show();
    EXPECT_EQ(Click(*button, 30, 25), 1);

    // Hidden in the middle of a press: the press is void and other gadgets can take the mouse.
    MoveTo(30, 25);
    Down();
    button->Update();
    button->Hide();
    EXPECT_EQ(UIGadget::ownerId, 0);
    Up();
    button->Show();
    EXPECT_EQ(button->Update(), 0);
    EXPECT_EQ(Click(*other, 110, 25), 1);

    // The same when the flag is set directly: the next Update lets go.
    MoveTo(30, 25);
    Down();
    button->Update();
    button->enabled = 0;
    EXPECT_EQ(button->Update(), 0);
    EXPECT_EQ(UIGadget::ownerId, 0);
    EXPECT_EQ(button->pressed, 0);
}

TEST_F(Gadget, TextBoxEditsAtTheCursor) {
    auto box = UIGadget::UICreateTextBox(10, 10, 80, 10, "");
    box->SetValue("AB");
    Type("stale");  // typed before the editing starts: not part of it
    EXPECT_EQ(Click(*box, box->x + 5, 15), 0);
    EXPECT_TRUE(box->Editing());
    EXPECT_EQ(box->cursorPos, 2);
    EXPECT_EQ(UIGadget::ownerId, box->id);

    Type("CD");
    box->Update();
    EXPECT_EQ(box->GetValue(), "ABCD");
    EXPECT_EQ(box->cursorPos, 4);
    Key(vk::LEFT);
    Key(vk::LEFT);
    Key(vk::LEFT);
    box->Update();
    EXPECT_EQ(box->cursorPos, 1);
    Type("x");
    box->Update();
    EXPECT_EQ(box->GetValue(), "AxBCD");
    Type("\b\b\b");  // the third finds nothing before the cursor
    box->Update();
    EXPECT_EQ(box->GetValue(), "BCD");
    EXPECT_EQ(box->cursorPos, 0);
    Key(vk::LEFT);
    box->Update();
    EXPECT_EQ(box->cursorPos, 0);
    for (int i = 0; i < 5; ++i) Key(vk::RIGHT);
    box->Update();
    EXPECT_EQ(box->cursorPos, 3);

    // "%" and "'" share their codes with the arrow keys but are characters to type; other
    // control codes are dropped.
    Type("%'\t\x01");
    PostInputEvent({InputEvent::CHAR, 0x263a});  // beyond 8-bit text
    box->Update();
    EXPECT_EQ(box->GetValue(), "BCD%'");
    EXPECT_EQ(box->cursorPos, 5);

    // Enter ends the editing; anything after it is not typed in.
    Type("E\rF");
    EXPECT_EQ(box->Update(), 1);
    EXPECT_EQ(box->GetValue(), "BCD%'E");
    EXPECT_FALSE(box->Editing());
    EXPECT_EQ(UIGadget::ownerId, 0);
    Type("G");
    EXPECT_EQ(box->Update(), 0);
    EXPECT_EQ(box->GetValue(), "BCD%'E");
}

TEST_F(Gadget, TextBoxEditingEndsWithEscapeAClickElsewhereOrHiding) {
    auto box = UIGadget::UICreateTextBox(10, 10, 80, 10, "CODE");
    auto button = UIGadget::UICreateButton(10, 40, 40, 12, "OK");
    Click(*box, box->x + 5, 15);
    // While the box has the keyboard no button can be pressed.
    EXPECT_EQ(Click(*button, 20, 45), 0);
    EXPECT_TRUE(box->Editing());
    Key(vk::ESCAPE);
    EXPECT_EQ(box->Update(), 1);
    EXPECT_FALSE(box->Editing());
    EXPECT_EQ(Click(*button, 20, 45), 1);

    Click(*box, box->x + 5, 15);
    ASSERT_TRUE(box->Editing());
    MoveTo(200, 150);
    Down();
    EXPECT_EQ(box->Update(), 1);
    EXPECT_FALSE(box->Editing());
    Up();

    Click(*box, box->x + 5, 15);
    ASSERT_TRUE(box->Editing());
    box->Hide();
    EXPECT_EQ(UIGadget::ownerId, 0);
    box->Show();
    Type("Z");
    box->Update();
    EXPECT_EQ(box->GetValue(), "");

    // A shorter value set from outside pulls the cursor back into the text.
    box->SetValue("LONGER");
    box->cursorPos = 6;
    box->SetValue("AB");
    EXPECT_EQ(box->cursorPos, 2);
}

TEST_F(Gadget, TextBoxDrawsItsLabelTextAndABlinkingCursor) {
    auto box = UIGadget::UICreateTextBox(10, 10, 44, 12, "ID");  // room for 5 characters
    box->SetValue("ABCDEFG");
    SetColor(1, 2, 3);
    box->Render();
    std::vector<DrawCall> glyphs = window.driver.Of(DrawCall::FRAME);
    ASSERT_EQ(glyphs.size(), 2u + 5u);
    EXPECT_FLOAT_EQ(glyphs[0].Left(), 10);  // the label in front of the box
    EXPECT_FLOAT_EQ(glyphs[2].Left(), box->x + 2);
    EXPECT_FLOAT_EQ(glyphs[2].Top(), 12);
    int r = 0, g = 0, b = 0;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 6);  // the caller's colour is left as it was

    Click(*box, box->x + 5, 15);
    ASSERT_TRUE(box->Editing());
    auto cursorBars = [&] {
        window.driver.Clear();
        box->Render();
        std::vector<DrawCall> bars;
        for (const DrawCall& c : Rects())
            if (c.Width() == 1 && c.Height() == 8) bars.push_back(c);
        return bars;
    };
    // The end of the text is in view: the last five characters, the cursor after them.
    std::vector<DrawCall> bars = cursorBars();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_FLOAT_EQ(bars[0].Left(), box->x + 2 + 5 * 8 - 1);
    glyphs = window.driver.Of(DrawCall::FRAME);
    ASSERT_EQ(glyphs.size(), 2u + 5u);

    clock.Advance(500);
    box->Update();
    EXPECT_TRUE(cursorBars().empty());
    clock.Advance(500);
    box->Update();
    EXPECT_EQ(cursorBars().size(), 1u);
    clock.Advance(500);
    box->Update();
    // Typing shows the cursor again at once.
    Type("H");
    box->Update();
    EXPECT_EQ(cursorBars().size(), 1u);
}

TEST_F(Gadget, CheckBoxTogglesOnAClick) {
    auto check = UIGadget::UICreateCheckBox(20, 20, 60, 10, "MUSIC");
    EXPECT_EQ(check->GetState(), 0);
    EXPECT_EQ(Click(*check, 70, 25), 1);  // on the label: the inner button covers it
    EXPECT_EQ(check->GetState(), 1);
    EXPECT_EQ(check->GetValue(), "1");
    EXPECT_EQ(Click(*check, 22, 25), 1);
    EXPECT_EQ(check->GetState(), 0);
    EXPECT_EQ(check->GetValue(), "0");
    EXPECT_EQ(Click(*check, 100, 25), 0);
    EXPECT_EQ(check->GetState(), 0);

    check->Disable();
    EXPECT_EQ(Click(*check, 22, 25), 0);
    EXPECT_EQ(check->GetState(), 0);
    check->Enable();

    // Hidden while its inner button holds the mouse, it gives the mouse back.
    MoveTo(22, 25);
    Down();
    check->Update();
    EXPECT_EQ(UIGadget::ownerId, check->dummybutton->id);
    check->Hide();
    EXPECT_EQ(UIGadget::ownerId, 0);
    Up();

    // A box moved after it was made takes its clicks where it now is.
    check->Show();
    check->x = 120;
    EXPECT_EQ(Click(*check, 125, 25), 1);
    EXPECT_EQ(check->GetState(), 1);

    check->SetValue("0");
    EXPECT_EQ(check->GetState(), 0);
    check->SetState(7);
    EXPECT_EQ(check->GetState(), 1);
    EXPECT_EQ(check->GetValue(), "1");
}

TEST_F(Gadget, SliderValueFollowsTheDragWithinItsRange) {
    auto slider = UISlider::Create(20, 50, 110, 8, "", 10, 0);  // 10 pixels a step
    EXPECT_EQ(slider->KnobSize, 10);
    EXPECT_EQ(slider->GetRange(), 10);
    EXPECT_EQ(slider->GetValue(), "0");

    MoveTo(20 + 35, 53);
    Down();
    EXPECT_EQ(slider->Update(), 1);
    EXPECT_EQ(slider->ValueInt, 3);
    EXPECT_EQ(slider->GetValue(), "3");
    EXPECT_EQ(UIGadget::ownerId, slider->id);
    EXPECT_EQ(slider->Update(), 0);  // no move, no change

    // The drag goes on outside the track, clamped at both ends.
    MoveTo(250, 100);
    slider->Update();
    EXPECT_EQ(slider->ValueInt, 10);
    MoveTo(20 + 104, 53);
    slider->Update();
    EXPECT_EQ(slider->ValueInt, 10);
    MoveTo(5, 53);
    slider->Update();
    EXPECT_EQ(slider->ValueInt, 0);
    MoveTo(20 + 72, 53);
    slider->Update();
    EXPECT_EQ(slider->ValueInt, 7);

    Up();
    EXPECT_EQ(slider->Update(), 0);
    EXPECT_EQ(slider->pressed, 0);
    EXPECT_EQ(UIGadget::ownerId, 0);
    MoveTo(20 + 15, 53);
    EXPECT_EQ(slider->Update(), 0);
    EXPECT_EQ(slider->ValueInt, 7);

    // A button being held keeps the slider still.
    auto button = UIGadget::UICreateButton(0, 0, 10, 10, "");
    MoveTo(5, 5);
    Down();
    button->Update();
    MoveTo(20 + 15, 53);
    EXPECT_EQ(slider->Update(), 0);
    EXPECT_EQ(slider->ValueInt, 7);
    Up();
}

TEST_F(Gadget, VerticalSliderAndRangesBeyondTheTrack) {
    auto vertical = UISlider::Create(200, 20, 8, 100, "", 4, 1);  // 20 pixels a step
    EXPECT_EQ(vertical->KnobSize, 20);
    MoveTo(203, 20 + 65);
    Down();
    vertical->Update();
    EXPECT_EQ(vertical->ValueInt, 3);
    Up();
    vertical->Update();

    // More values than pixels: no knob size to divide by, the values are spread evenly.
    auto fine = UISlider::Create(20, 50, 100, 8, "", 1000, 0);
    EXPECT_EQ(fine->KnobSize, 0);
    MoveTo(20 + 50, 53);
    Down();
    fine->Update();
    EXPECT_EQ(fine->ValueInt, 50 * 1001 / 100);
    MoveTo(20 + 99, 53);
    fine->Update();
    EXPECT_EQ(fine->ValueInt, 99 * 1001 / 100);
    Up();
    fine->Update();
    fine->Render();  // draws without dividing by zero

    fine->SetRange(INT_MAX);
    EXPECT_EQ(fine->KnobSize, 0);
    fine->SetRange(-5);
    EXPECT_EQ(fine->GetRange(), 0);
    EXPECT_EQ(fine->KnobSize, 100);
    EXPECT_EQ(fine->ValueInt, 0);

    // Values from outside are clamped into the range, and a shrinking range pulls them in.
    fine->SetRange(20);
    fine->SetValue("99");
    EXPECT_EQ(fine->GetValue(), "20");
    fine->SetValue("-3");
    EXPECT_EQ(fine->ValueInt, 0);
    fine->SetValue("15");
    fine->SetRange(9);
    EXPECT_EQ(fine->ValueInt, 9);
    EXPECT_EQ(fine->GetValue(), "9");
}

TEST_F(Gadget, SliderDrawsAFramedTrackAndTheKnobAtItsValue) {
    auto slider = UISlider::Create(20, 50, 110, 8, "", 10, 0);
    slider->SetValue("4");
    slider->Render();
    std::vector<DrawCall> rects = Rects();
    ASSERT_GE(rects.size(), 6u);
    // The frame, two pixels thick, around the outside of the track.
    EXPECT_FLOAT_EQ(rects[0].Left(), 18);
    EXPECT_FLOAT_EQ(rects[0].Top(), 48);
    EXPECT_FLOAT_EQ(rects[0].Width(), 114);
    EXPECT_FLOAT_EQ(rects[0].Height(), 2);
    EXPECT_FLOAT_EQ(rects[3].Top(), 58);
    const DrawCall& knob = rects.back();
    EXPECT_FLOAT_EQ(knob.Left(), 20 + 4 * 10);
    EXPECT_FLOAT_EQ(knob.Width(), 10);
    EXPECT_FLOAT_EQ(knob.Top(), 50);
    EXPECT_FLOAT_EQ(knob.Height(), 8);

    window.driver.Clear();
    slider->Hide();
    slider->Render();
    EXPECT_TRUE(window.driver.calls.empty());
}

TEST_F(Gadget, DegenerateBoxesDrawNothingInsideOut) {
    auto panel = UIGadget::UICreatePanel(10, 10, 30, 20, "P");
    panel->depth = INT_MIN;
    auto box = UIGadget::UICreateTextBox(10, 40, 0, 0, "");
    box->SetValue("TEXT");
    auto check = UIGadget::UICreateCheckBox(10, 60, 0, 10, "C");
    check->SetState(1);
    auto slider = UISlider::Create(10, 80, 0, 8, "", 3, 0);
    for (UIGadget* g : std::vector<UIGadget*>{panel.get(), box.get(), check.get(), slider.get()})
        g->Render();
    for (const DrawCall& c : Rects()) {
        EXPECT_GT(c.Width(), 0);
        EXPECT_GT(c.Height(), 0);
    }
}

}  // namespace
