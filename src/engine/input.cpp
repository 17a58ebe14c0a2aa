#include "engine/input.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/system.h"
#include "engine/timing.h"

namespace {
constexpr int kKeys = 256;
constexpr int kQueue = 256;
constexpr int kMouseButtons = 4;
constexpr int kJoyButtons = 16;
constexpr int kJoySampleMs = 2;

struct KeyState {
    std::array<bool, kKeys> down{};
    std::array<int, kKeys> hits{};
};

struct CharQueue {
    std::array<int, kQueue> ring{};
    int put = 0;
    int get = 0;
    int size = 0;
};

struct MouseState {
    std::array<bool, kMouseButtons> down{};
    std::array<int, kMouseButtons> hits{};
    int x = 0;
    int y = 0;
};

struct JoyPort {
    int id;
    std::unique_ptr<TJoystickDevice> device;
    // Something on it has been pressed or pushed since it was attached.
    bool used = false;
    bool sampled = false;
    int sampleTime = 0;
    std::uint32_t bits = 0;
    std::array<int, kJoyButtons> hits{};
    std::array<float, 6> axes{};
    float hat = -1;
};

KeyState g_keys;
CharQueue g_chars;
MouseState g_mouse;
bool g_suspended = false;
bool g_hidden = false;
bool g_left = false;
bool g_joyLost = false;
int g_lastKey = 0;
bool g_terminate = false;
std::vector<JoyPort> g_joys;
bool g_mouseVisible = true;
TPointerDevice* g_pointer = nullptr;
// The size the window last changed to, until the drawing layer takes it.
bool g_resized = false;
int g_resizedW = 0, g_resizedH = 0;

bool ValidKey(int key) {
    return key >= 0 && key < kKeys;
}
bool ValidButton(int b) {
    return b >= 0 && b < kMouseButtons;
}

void QueueChar(int code) {
    if (g_chars.size >= kQueue) return;  // a full queue drops the newest
    g_chars.ring[g_chars.put] = code;
    g_chars.put = (g_chars.put + 1) % kQueue;
    ++g_chars.size;
}

void ClearKeys() {
    g_keys = KeyState{};
    g_chars = CharQueue{};
    g_lastKey = 0;
}

void ClearMouse() {
    g_mouse.down = {};
    g_mouse.hits = {};
}

// These keys type a control character as well as being keys.
bool TypesControlChar(int key) {
    return key == vk::BACKSPACE || key == vk::TAB || key == vk::ENTER || key == vk::ESCAPE;
}

JoyPort* Port(int port) {
    PollSystem();
    if (port < 0 || port >= static_cast<int>(g_joys.size())) return nullptr;
    return &g_joys[static_cast<std::size_t>(port)];
}

// A port is read at most once every 2 ms: a press and release that both fall between two
// samples is never seen, as on the hardware the tables were made for.
void Sample(JoyPort& p) {
    int now = MilliSecs();
    if (p.sampled && now - p.sampleTime < kJoySampleMs && now - p.sampleTime >= 0) return;
    p.sampled = true;
    p.sampleTime = now;
    p.device->Update();
    std::uint32_t bits = p.device->Buttons() & 0xffffu;
    std::uint32_t pressed = bits & ~p.bits;
    for (int b = 0; b < kJoyButtons; ++b)
        if (pressed & (1u << b)) ++p.hits[static_cast<std::size_t>(b)];
    p.bits = bits;
    for (int a = 0; a < 6; ++a) p.axes[static_cast<std::size_t>(a)] = p.device->Axis(a);
    p.hat = p.device->Hat();
    constexpr float kPushed = 0.5f;
    p.used = p.used || bits != 0 || p.hat >= 0 || std::fabs(p.axes[0]) > kPushed ||
             std::fabs(p.axes[1]) > kPushed;
}

float AxisOf(int port, int axis) {
    JoyPort* p = Port(port);
    if (!p) return 0;
    Sample(*p);
    return p->axes[static_cast<std::size_t>(axis)];
}
}  // namespace

namespace {
void KeyPressed(const InputEvent& e) {
    if (TypesControlChar(e.code)) QueueChar(e.code);
    if (!ValidKey(e.code)) {
        if (!e.repeat) g_lastKey = -1;
        return;
    }
    // Auto-repeat never counts: neither does a press of a key already held, so a key held across
    // a flush does not come back as a fresh hit.
    const auto key = static_cast<std::size_t>(e.code);
    if (!g_keys.down[key] && !e.repeat) {
        ++g_keys.hits[key];
        g_lastKey = e.code;
    }
    g_keys.down[key] = true;
}

void MouseEvent(const InputEvent& e) {
    if (e.type == InputEvent::MOUSE_MOVE) {
        g_mouse.x = e.x;
        g_mouse.y = e.y;
        return;
    }
    if (!ValidButton(e.code)) return;
    const auto button = static_cast<std::size_t>(e.code);
    if (e.type == InputEvent::MOUSE_DOWN && !g_mouse.down[button]) ++g_mouse.hits[button];
    g_mouse.down[button] = e.type == InputEvent::MOUSE_DOWN;
}

// The window left the player (focus lost, minimised or hidden) or came back.
void WindowEvent(const InputEvent& e) {
    if (e.type != InputEvent::SHOWN) {
        ClearKeys();
        ClearMouse();
    }
    if (e.type == InputEvent::FOCUS_LOST || e.type == InputEvent::FOCUS_GAINED)
        g_suspended = e.type == InputEvent::FOCUS_LOST;
    if (e.type == InputEvent::HIDDEN || e.type == InputEvent::SHOWN)
        g_hidden = e.type == InputEvent::HIDDEN;
    if (e.type == InputEvent::FOCUS_LOST || e.type == InputEvent::HIDDEN) g_left = true;
}
}  // namespace

void PostInputEvent(const InputEvent& e) {
    switch (e.type) {
        case InputEvent::KEY_DOWN:
            KeyPressed(e);
            break;
        case InputEvent::KEY_UP:
            if (ValidKey(e.code)) g_keys.down[static_cast<std::size_t>(e.code)] = false;
            break;
        case InputEvent::CHAR:
            QueueChar(e.code);
            break;
        case InputEvent::MOUSE_DOWN:
        case InputEvent::MOUSE_UP:
        case InputEvent::MOUSE_MOVE:
            MouseEvent(e);
            break;
        case InputEvent::FOCUS_LOST:
        case InputEvent::FOCUS_GAINED:
        case InputEvent::HIDDEN:
        case InputEvent::SHOWN:
            WindowEvent(e);
            break;
        case InputEvent::CLOSE_REQUEST:
            g_terminate = true;
            break;
        case InputEvent::RESIZED:
            g_resized = true;
            g_resizedW = e.x;
            g_resizedH = e.y;
            break;
    }
}

int KeyHit(int key) {
    PollSystem();
    if (!ValidKey(key)) return 0;
    int n = g_keys.hits[static_cast<std::size_t>(key)];
    g_keys.hits[static_cast<std::size_t>(key)] = 0;
    return n;
}

int KeyDown(int key) {
    PollSystem();
    return ValidKey(key) && g_keys.down[static_cast<std::size_t>(key)] ? 1 : 0;
}

int GetChar() {
    PollSystem();
    if (g_chars.size == 0) return 0;
    int c = g_chars.ring[g_chars.get];
    g_chars.get = (g_chars.get + 1) % kQueue;
    --g_chars.size;
    return c;
}

void FlushKeys() {
    PollSystem();
    ClearKeys();
}

int MouseX() {
    PollSystem();
    return g_mouse.x;
}
int MouseY() {
    PollSystem();
    return g_mouse.y;
}

int MouseDown(int button) {
    PollSystem();
    return ValidButton(button) && g_mouse.down[static_cast<std::size_t>(button)] ? 1 : 0;
}

int MouseHit(int button) {
    PollSystem();
    if (!ValidButton(button)) return 0;
    int n = g_mouse.hits[static_cast<std::size_t>(button)];
    g_mouse.hits[static_cast<std::size_t>(button)] = 0;
    return n;
}

void FlushMouse() {
    PollSystem();
    ClearMouse();
}

int AppTerminate() {
    PollSystem();
    bool t = g_terminate;
    g_terminate = false;
    return t ? 1 : 0;
}

int AppSuspended() {
    PollSystem();
    return g_suspended || g_hidden ? 1 : 0;
}

int AppLeftHit() {
    PollSystem();
    const bool left = g_left;
    g_left = false;
    return left ? 1 : 0;
}

int AppHidden() {
    PollSystem();
    return g_hidden ? 1 : 0;
}

int LastKeyHit() {
    PollSystem();
    return std::exchange(g_lastKey, 0);
}

void AttachJoystick(int id, std::unique_ptr<TJoystickDevice> device) {
    if (!device) return;
    DetachJoystick(id);
    // A pad with a known button layout goes before every plain joystick nobody has touched yet,
    // so another joystick-like device listed first does not take port 0 from it; a device in
    // use keeps its port.
    auto at = g_joys.end();
    if (device->KnownLayout())
        at = std::find_if(g_joys.begin(), g_joys.end(),
                          [](const JoyPort& p) { return !p.used && !p.device->KnownLayout(); });
    g_joys.insert(at, JoyPort{id, std::move(device)});
}

void DetachJoystick(int id) {
    for (auto it = g_joys.begin(); it != g_joys.end(); ++it) {
        if (it->id == id) {
            if (it == g_joys.begin()) g_joyLost = true;
            g_joys.erase(it);
            return;
        }
    }
}

int JoyLostHit() {
    PollSystem();
    return std::exchange(g_joyLost, false) ? 1 : 0;
}

void DetachAllJoysticks() {
    g_joys.clear();
}

int JoyCount() {
    PollSystem();
    return static_cast<int>(g_joys.size());
}

int JoyHit(int button, int port) {
    JoyPort* p = Port(port);
    if (!p || button < 0 || button >= kJoyButtons) return 0;
    Sample(*p);
    int n = p->hits[static_cast<std::size_t>(button)];
    p->hits[static_cast<std::size_t>(button)] = 0;
    return n;
}

int JoyDown(int button, int port) {
    JoyPort* p = Port(port);
    if (!p || button < 0 || button >= kJoyButtons) return 0;
    Sample(*p);
    return (p->bits >> button) & 1u ? 1 : 0;
}

float JoyX(int port) {
    return AxisOf(port, 0);
}
float JoyY(int port) {
    return AxisOf(port, 1);
}
float JoyZ(int port) {
    return AxisOf(port, 2);
}
float JoyR(int port) {
    return AxisOf(port, 3);
}
float JoyU(int port) {
    return AxisOf(port, 4);
}
float JoyV(int port) {
    return AxisOf(port, 5);
}

float JoyHat(int port) {
    JoyPort* p = Port(port);
    if (!p) return -1;
    Sample(*p);
    return p->hat;
}

void FlushJoy(int mask) {
    PollSystem();
    for (std::size_t i = 0; i < g_joys.size() && i < 32; ++i) {
        if (!(static_cast<std::uint32_t>(mask) & (1u << i))) continue;
        JoyPort& p = g_joys[i];
        p.hits = {};
        // Buttons still held count as already seen, so holding one across a screen change does
        // not press the next screen's button.
        p.device->Update();
        p.bits = p.device->Buttons() & 0xffffu;
    }
}

void SetPointerDevice(TPointerDevice* device) {
    g_pointer = device;
    if (g_pointer) g_pointer->Show(g_mouseVisible);
}

void ShowMouse() {
    g_mouseVisible = true;
    if (g_pointer) g_pointer->Show(true);
}

void HideMouse() {
    g_mouseVisible = false;
    if (g_pointer) g_pointer->Show(false);
}

int MouseVisible() {
    return g_mouseVisible ? 1 : 0;
}

void MoveMouse(int x, int y) {
    if (g_pointer) g_pointer->Warp(x, y);
    InputEvent e{InputEvent::MOUSE_MOVE};
    e.x = x;
    e.y = y;
    PostInputEvent(e);
}

bool TakeWindowSize(int& width, int& height) {
    if (!g_resized) return false;
    g_resized = false;
    width = g_resizedW;
    height = g_resizedH;
    return true;
}

void ResetInput() {
    g_resized = false;
    ClearKeys();
    g_mouse = MouseState{};
    g_suspended = false;
    g_hidden = false;
    g_left = false;
    g_joyLost = false;
    g_terminate = false;
    for (JoyPort& p : g_joys) {
        p.hits = {};
        p.sampled = false;
        p.bits = 0;
    }
}
