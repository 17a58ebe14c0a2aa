#include "support/fake_input.h"

#include <memory>

FakeJoystick& AttachFakeJoystick(int id) {
    auto device = std::make_unique<FakeJoystick>();
    FakeJoystick& ref = *device;
    AttachJoystick(id, std::move(device));
    return ref;
}

void MouseToWindow(int x, int y) {
    InputEvent e{InputEvent::MOUSE_MOVE};
    e.x = x;
    e.y = y;
    PostInputEvent(e);
}

void MouseToVirtual(int vx, int vy) {
    MouseToWindow(vx * 4 + 2, vy * 4 + 2);
}

void MousePress(int button) {
    PostInputEvent({InputEvent::MOUSE_DOWN, button});
}
void MouseRelease(int button) {
    PostInputEvent({InputEvent::MOUSE_UP, button});
}

void TapKey(int key) {
    PostInputEvent({InputEvent::KEY_DOWN, key});
    PostInputEvent({InputEvent::KEY_UP, key});
}

void TypeText(const std::string& text) {
    for (unsigned char c : text) PostInputEvent({InputEvent::CHAR, c});
}
