#pragma once
// Joysticks and mouse input for tests, fed through the same handler the platform uses.

#include <array>
#include <cstdint>
#include <string>

#include "engine/input.h"

// A joystick whose buttons, axes and hat the test sets directly.
class FakeJoystick : public TJoystickDevice {
  public:
    std::uint32_t buttons = 0;
    std::array<float, 6> axes{};
    // -1 centred, else a fraction of a turn clockwise from up.
    float hat = -1;
    // How often the input layer sampled the buttons.
    int reads = 0;

    std::uint32_t Buttons() override {
        ++reads;
        return buttons;
    }
    float Axis(int index) override {
        return index >= 0 && index < 6 ? axes[std::size_t(index)] : 0;
    }
    float Hat() override { return hat; }
    void Hold(int button) { buttons |= 1u << button; }
    void Let(int button) { buttons &= ~(1u << button); }
};

// Attaches a fake joystick under the platform id and returns it (owned by the input layer until
// it is detached).
FakeJoystick& AttachFakeJoystick(int id = 1);

// The pointer over the middle of virtual pixel (vx, vy) of a 4x window without bars.
void MouseToVirtual(int vx, int vy);
// The pointer at window pixel (x, y).
void MouseToWindow(int x, int y);
void MousePress(int button = 1);
void MouseRelease(int button = 1);
// A key down and up at once: one hit, nothing held.
void TapKey(int key);
// Each byte of the text as a typed character.
void TypeText(const std::string& text);
