#pragma once
// Polled keyboard, mouse and joystick input and the window's close request.
//
// Key codes are Windows virtual-key codes, because the settings file stores them. The platform
// layer and the tests feed the same event handler, so both go through one set of rules.

#include <cstdint>
#include <memory>
#include <string>

namespace vk {
constexpr int BACKSPACE = 8, TAB = 9, ENTER = 13, SHIFT = 16, CONTROL = 17, ALT = 18, PAUSE = 19,
              CAPSLOCK = 20, ESCAPE = 27, SPACE = 32, PAGEUP = 33, PAGEDOWN = 34, END = 35,
              HOME = 36, LEFT = 37, UP = 38, RIGHT = 39, DOWN = 40, INSERT = 45, DELETE = 46,
              NUM0 = 48, A = 65, NUMPAD0 = 96, MULTIPLY = 106, ADD = 107, SUBTRACT = 109,
              DECIMAL = 110, DIVIDE = 111, F1 = 112, F12 = 123, SEMICOLON = 186, EQUALS = 187,
              COMMA = 188, MINUS = 189, PERIOD = 190, SLASH = 191, TILDE = 192, OPENBRACKET = 219,
              BACKSLASH = 220, CLOSEBRACKET = 221, QUOTES = 222;
}  // namespace vk

struct InputEvent {
    enum Type {
        KEY_DOWN,    // code = key; repeat marks the keyboard's auto-repeat
        KEY_UP,      // code = key
        CHAR,        // code = character code of typed text
        MOUSE_DOWN,  // code = button 1 left, 2 right, 3 middle
        MOUSE_UP,    // code = button
        MOUSE_MOVE,  // x, y in window pixels
        FOCUS_LOST,
        FOCUS_GAINED,
        HIDDEN,  // the window was minimised or hidden
        SHOWN,   // ... and is back on the screen
        CLOSE_REQUEST,
        RESIZED,  // x, y: the window's new drawable size in pixels
    };
    Type type;
    int code = 0;
    int x = 0;
    int y = 0;
    bool repeat = false;
};

// The one handler every input event goes through.
void PostInputEvent(const InputEvent& event);

// Times the key (a virtual-key code) went down since the last KeyHit of it or the last flush;
// asking resets the count. Auto-repeat adds nothing.
int KeyHit(int key);
// 1 while the key is held, else 0.
int KeyDown(int key);
// The next typed character's code, or 0 when none is waiting (at most 256 wait).
int GetChar();
// Forgets every key hit and typed character.
void FlushKeys();
// The key of the last fresh press since the last call or flush: its code, -1 for a key the game
// has no code for, 0 for none.
int LastKeyHit();

// The mouse across, in window pixels.
int MouseX();
// The mouse down, in window pixels.
int MouseY();
// 1 while the button (1 left, 2 right, 3 middle) is held.
int MouseDown(int button);
// Times the button went down since the last MouseHit of it or the last flush.
int MouseHit(int button);
// Forgets every button held and hit.
void FlushMouse();
// Puts the mouse at window pixel (x, y).
void MoveMouse(int x, int y);
// Shows the pointer over the window.
void ShowMouse();
// Hides the pointer over the window.
void HideMouse();
// 1 while the pointer is shown.
int MouseVisible();

// What shows and moves the real pointer: the platform hands one over while its window is open.
class TPointerDevice {
  public:
    virtual ~TPointerDevice() = default;
    // Shows or hides the pointer over the window.
    virtual void Show(bool visible) = 0;
    // Puts the pointer at window pixel (x, y).
    virtual void Warp(int x, int y) = 0;
};
// Installs the device, null to remove it; it is told at once whether the pointer shows. Not owned.
void SetPointerDevice(TPointerDevice* device);

// The window's new drawable size, once after the platform reported a change; false when there
// was none since the last call.
bool TakeWindowSize(int& width, int& height);

// 1 once after the window was asked to close.
int AppTerminate();
// 1 while the window has lost the keyboard focus or is minimised or hidden.
int AppSuspended();
// 1 while the window is minimised or hidden: nothing drawn would be seen.
int AppHidden();
// 1 once after the window lost the focus or was minimised or hidden; a key flush keeps it.
int AppLeftHit();

// Position, button bits and hat of one attached joystick, read when the port is sampled.
class TJoystickDevice {
  public:
    virtual ~TJoystickDevice() = default;
    // Refreshes the device's own state (the platform may need a poll first).
    virtual void Update() {}
    // Bit b set while button b (0..15) is held.
    virtual std::uint32_t Buttons() = 0;
    // Axis 0..5 (x, y, z, r, u, v) in -1 .. 1.
    virtual float Axis(int index) = 0;
    // Fraction of a turn clockwise from up, or -1 when centred.
    virtual float Hat() = 0;
    // The pad's name as the system gives it.
    virtual std::string Name() { return "joystick"; }
    // True for a pad whose buttons are in the usual pad order (a known game controller).
    virtual bool KnownLayout() const { return false; }
};

// Ports follow attachment order, except that a pad of known layout goes before the plain
// joysticks nobody has used; removing one moves later ports down. The id lets the platform find
// its device again when it is unplugged.
void AttachJoystick(int id, std::unique_ptr<TJoystickDevice> device);
// Removes the device attached under that id; an unknown id does nothing.
void DetachJoystick(int id);
// 1 once after the device on port 0 was unplugged.
int JoyLostHit();
// Removes every device (tests).
void DetachAllJoysticks();

// The joysticks attached.
int JoyCount();
// Times button 0..15 of the port went down since the last JoyHit of it or the last flush; a port
// is sampled at most every 2 ms. 0 for a port with no device.
int JoyHit(int button, int port = 0);
// 1 while button 0..15 of the port is held.
int JoyDown(int button, int port = 0);
// The axes x, y, z, r, u and v of the port, each -1 .. 1; 0 for a port with no device.
float JoyX(int port = 0);
float JoyY(int port = 0);
float JoyZ(int port = 0);
float JoyR(int port = 0);
float JoyU(int port = 0);
float JoyV(int port = 0);
// The hat as a fraction of a turn clockwise from up (0 up, 0.25 right), -1 when centred.
float JoyHat(int port = 0);
// Clears button state and hits of every port p below JoyCount whose bit 1 << p is set.
void FlushJoy(int mask = -1);

// Puts every table back to its start state (tests and display changes).
void ResetInput();
