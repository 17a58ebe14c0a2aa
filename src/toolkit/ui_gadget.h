#pragma once
// A small mouse-driven gadget kit on the virtual screen: buttons, panels, text boxes, check boxes
// and sliders, drawn with the shapes and the game font in fixed greys.
//
// One gadget at a time owns the mouse or the keyboard (a button held down, a slider being
// dragged, a text box being edited); every other gadget ignores input until it lets go. A gadget
// lets go when it is hidden, disabled or destroyed, so an owner can never be left stranded.
//
// Every Update returns 0 at once while the gadget is hidden or disabled. Whoever creates a gadget
// owns it; the kit keeps no list of them.

#include <memory>
#include <string>

#include "toolkit/anim.h"

class UIButton;
class UIPanel;
class UITextBox;
class UICheckBox;

class UIGadget {
  public:
    // Which side a check box's box and a panel's label stand on.
    static constexpr int ALIGN_LEFT = 0;
    static constexpr int ALIGN_RIGHT = 1;

    int id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string label;
    int hidden = 0;
    int pressed = 0;
    int enabled = 1;
    std::string value;
    int state = 0;
    // Draws a button or panel sunken whatever the mouse does.
    int forcedDepressed = 0;
    int align = ALIGN_LEFT;

    // The id given last; ids start at 1, so 0 can mean "no gadget".
    static inline int nextId = 0;
    // The gadget that owns the mouse or keyboard, 0 when none does.
    static inline int ownerId = 0;
    // Where the mouse points on the virtual screen: false when nothing can say (no display).
    // The game's display fills it in; unset, the gadgets see no mouse.
    static inline bool (*pointer)(float& x, float& y) = nullptr;

    UIGadget() = default;
    UIGadget(const UIGadget&) = delete;
    UIGadget& operator=(const UIGadget&) = delete;
    virtual ~UIGadget();

    // Each creation takes the next id. With a parent, x and y are relative to its position.
    static std::unique_ptr<UIButton> UICreateButton(int x, int y, int width, int height,
                                                    const std::string& label,
                                                    const UIGadget* parent = nullptr);
    // Panels start with a raised bevel one pixel deep.
    static std::unique_ptr<UIPanel> UICreatePanel(int x, int y, int width, int height,
                                                  const std::string& label,
                                                  const UIGadget* parent = nullptr);
    // The box moves right by TextWidth of the label and one space; the label stands in that gap.
    static std::unique_ptr<UITextBox> UICreateTextBox(int x, int y, int width, int height,
                                                      const std::string& label,
                                                      const UIGadget* parent = nullptr);
    // Off at creation; its inner button covers the whole gadget, label included.
    static std::unique_ptr<UICheckBox> UICreateCheckBox(int x, int y, int width, int height,
                                                        const std::string& label,
                                                        const UIGadget* parent = nullptr);

    // The virtual mouse lies strictly inside the box.
    virtual int MouseOver();
    // One tick of input; 1 when the gadget has something to report (see each kind).
    virtual int Update() { return 0; }
    // Draws the gadget, unless hidden; ends with white.
    virtual void Render() {}
    // Neither drawn nor answering; lets go of the mouse or keyboard.
    virtual void Hide();
    // Drawn and answering again.
    virtual void Show();
    // Answers input again.
    virtual void Enable();
    // Drawn greyed and answering nothing; lets go of the mouse or keyboard.
    virtual void Disable();
    // The caption.
    virtual std::string GetLabel() { return label; }
    // A new caption; the size stays.
    virtual void SetLabel(const std::string& text) { label = text; }
    // Each of these sets the drawing colour to one of the kit's fixed greys: white,
    virtual void ResetColor();
    // the face (100),
    virtual void SetColorBase();
    // the shadow (55),
    virtual void SetColorShadow();
    // the light edge (190),
    virtual void SetColorHighlight();
    // text on the face (225),
    virtual void SetTextColor();
    // text on a light ground (25),
    virtual void SetAltTextColor();
    // and greyed text (120).
    virtual void SetAltTextColor2();
    // The value as text: a text box's text, a check box's "0" or "1", a slider's position.
    virtual std::string GetValue() { return value; }
    // Sets the value from text (a check box reads it as a number, a slider keeps to its range).
    virtual void SetValue(const std::string& text) { value = text; }
    // A check box's 0 or 1; what a kind keeps there otherwise.
    virtual int GetState() { return state; }
    // Sets the state (a check box takes any non-zero as 1).
    virtual void SetState(int newState) { state = newState; }
    // A slider's largest position; nothing for other kinds.
    virtual void SetRange(int) {}
    // A slider's largest position; 0 for other kinds.
    virtual int GetRange() { return 0; }

    // Drops any press, drag or edit in progress and the ownership with it.
    virtual void LetGo();

    // Id counter and owner back to their start (tests).
    static void Reset();

  protected:
    // Takes the next id and sets the box, offset by the parent's position.
    void Place(int px, int py, int w, int h, const std::string& text, const UIGadget* parent);
    bool Owns() const { return id != 0 && ownerId == id; }
    static bool NobodyOwns() { return ownerId == 0; }
    void TakeOwnership() { ownerId = id; }
    // Hidden or disabled: lets go, and Update must return 0.
    bool Inactive();
    // Raised (highlight above and left) or sunken, `thickness` pixels inside the box.
    void Bevel(int bx, int by, int bw, int bh, bool raised, int thickness);
};

// Update returns 1 on a click: pressed and released with the pointer over the button.
class UIButton : public UIGadget {
  public:
    int Update() override;
    void Render() override;
};

// A plain bevelled area with an optional caption; it takes no input.
class UIPanel : public UIGadget {
  public:
    // Bevel thickness in pixels; negative draws it sunken.
    int depth = 0;

    void Render() override;
};

// A click on the box starts editing with the cursor at the end of the text. While editing:
// typed characters are inserted at the cursor, the left and right arrow keys move it, backspace
// deletes before it, and enter, escape or a click outside the box end the editing. Update
// returns 1 on the tick the editing ends.
class UITextBox : public UIGadget {
  public:
    int cursorPos = 0;
    GameTime blinktimer = 0;
    int blink = 0;

    int Update() override;
    void Render() override;
    // Keeps the cursor within the new text.
    void SetValue(const std::string& text) override;
    bool Editing() const { return pressed != 0 && Owns(); }

  private:
    // False when the character ended the editing.
    bool Type(int code);
    void EndEditing();
};

// Toggles between on (state 1, value "1") and off (state 0, value "0") when its inner button
// reports a click; Update returns 1 on the tick it toggles.
class UICheckBox : public UIGadget {
  public:
    std::unique_ptr<UIButton> dummybutton;

    int Update() override;
    void Render() override;
    // State and value always agree: any non-zero state is on.
    void SetState(int newState) override;
    void SetValue(const std::string& text) override;
    void LetGo() override;
};

// A track with a knob, horizontal or vertical, for a whole number 0..Range. A press inside the
// track moves the knob to the pointer and drags it until the button is released. Update returns
// 1 when the value changed.
class UISlider : public UIGadget {
  public:
    int Range = 0;
    int ValueInt = 0;
    // Pixels along the track per value; 0 when the range has more values than the track has
    // pixels, and the values are then spread evenly instead.
    int KnobSize = 0;
    int Vertical = 0;
    int OldMouse = 0;

    static std::unique_ptr<UISlider> Create(int x, int y, int width, int height,
                                            const std::string& label, int range, int vertical,
                                            const UIGadget* parent = nullptr);
    int Update() override;
    void Render() override;
    // A negative range is taken as 0; the value is clamped into the new range.
    void SetRange(int r) override;
    int GetRange() override { return Range; }
    // Read leniently and clamped to 0..Range; value then holds the clamped number.
    void SetValue(const std::string& text) override;

  private:
    int Length() const { return Vertical ? height : width; }
    int Start() const { return Vertical ? y : x; }
    // The value under a mouse coordinate along the track.
    int ValueAt(int coord) const;
    // First pixel and length of the knob along the track.
    void Knob(int& from, int& length) const;
};
