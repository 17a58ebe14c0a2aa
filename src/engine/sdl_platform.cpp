#include "engine/sdl_platform.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>

#include "engine/input.h"
#include "engine/system.h"

namespace {
bool g_videoTried = false;
bool g_videoOk = false;
SDL_Window* g_window = nullptr;

// Keys with a code of their own; letters, digits, F-keys and the numeric pad go by ranges.
constexpr std::pair<SDL_Keycode, int> kKeyCodes[] = {
    {SDLK_BACKSPACE, vk::BACKSPACE},
    {SDLK_TAB, vk::TAB},
    {SDLK_RETURN, vk::ENTER},
    {SDLK_KP_ENTER, vk::ENTER},
    {SDLK_LSHIFT, vk::SHIFT},
    {SDLK_RSHIFT, vk::SHIFT},
    {SDLK_LCTRL, vk::CONTROL},
    {SDLK_RCTRL, vk::CONTROL},
    {SDLK_LALT, vk::ALT},
    {SDLK_RALT, vk::ALT},
    {SDLK_PAUSE, vk::PAUSE},
    {SDLK_CAPSLOCK, vk::CAPSLOCK},
    {SDLK_ESCAPE, vk::ESCAPE},
    {SDLK_SPACE, vk::SPACE},
    {SDLK_PAGEUP, vk::PAGEUP},
    {SDLK_PAGEDOWN, vk::PAGEDOWN},
    {SDLK_END, vk::END},
    {SDLK_HOME, vk::HOME},
    {SDLK_LEFT, vk::LEFT},
    {SDLK_UP, vk::UP},
    {SDLK_RIGHT, vk::RIGHT},
    {SDLK_DOWN, vk::DOWN},
    {SDLK_INSERT, vk::INSERT},
    {SDLK_DELETE, vk::DELETE},
    {SDLK_KP_0, vk::NUMPAD0},
    {SDLK_KP_MULTIPLY, vk::MULTIPLY},
    {SDLK_KP_PLUS, vk::ADD},
    {SDLK_KP_MINUS, vk::SUBTRACT},
    {SDLK_KP_PERIOD, vk::DECIMAL},
    {SDLK_KP_DIVIDE, vk::DIVIDE},
    {SDLK_SEMICOLON, vk::SEMICOLON},
    {SDLK_EQUALS, vk::EQUALS},
    {SDLK_COMMA, vk::COMMA},
    {SDLK_MINUS, vk::MINUS},
    {SDLK_PERIOD, vk::PERIOD},
    {SDLK_SLASH, vk::SLASH},
    {SDLK_BACKQUOTE, vk::TILDE},
    {SDLK_LEFTBRACKET, vk::OPENBRACKET},
    {SDLK_BACKSLASH, vk::BACKSLASH},
    {SDLK_RIGHTBRACKET, vk::CLOSEBRACKET},
    {SDLK_QUOTE, vk::QUOTES},
};

int MapKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return vk::A + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return vk::NUM0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::F1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vk::NUMPAD0 + 1 + (key - SDLK_KP_1);
    for (const auto& [sdl, code] : kKeyCodes)
        if (sdl == key) return code;
    return -1;
}

int MapMouseButton(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return -1;
    }
}

float ScaleAxis(Sint16 raw) {
    return (float(raw) + 32768.0f) * 2.0f / 65535.0f - 1.0f;
}

float HatFraction(bool up, bool right, bool down, bool left) {
    if (up && right) return 0.125f;
    if (right && down) return 0.375f;
    if (down && left) return 0.625f;
    if (left && up) return 0.875f;
    if (up) return 0.0f;
    if (right) return 0.25f;
    if (down) return 0.5f;
    if (left) return 0.75f;
    return -1.0f;
}

// A pad SDL knows as a game controller: buttons in the usual pad order, so "jump 0, pause 7"
// means A and Start on every known pad.
class ControllerDevice : public TJoystickDevice {
  public:
    explicit ControllerDevice(SDL_GameController* c) : c_(c) {}
    ~ControllerDevice() override { SDL_GameControllerClose(c_); }
    std::uint32_t Buttons() override {
        static constexpr SDL_GameControllerButton kOrder[] = {SDL_CONTROLLER_BUTTON_A,
                                                              SDL_CONTROLLER_BUTTON_B,
                                                              SDL_CONTROLLER_BUTTON_X,
                                                              SDL_CONTROLLER_BUTTON_Y,
                                                              SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                              SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                              SDL_CONTROLLER_BUTTON_BACK,
                                                              SDL_CONTROLLER_BUTTON_START,
                                                              SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                              SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                                                              SDL_CONTROLLER_BUTTON_GUIDE};
        std::uint32_t bits = 0;
        for (std::uint32_t i = 0; i < std::size(kOrder); ++i)
            if (SDL_GameControllerGetButton(c_, kOrder[i])) bits |= 1u << i;
        return bits;
    }
    float Axis(int index) override {
        static constexpr SDL_GameControllerAxis kAxes[] = {
            SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
            SDL_CONTROLLER_AXIS_RIGHTX,      SDL_CONTROLLER_AXIS_RIGHTY,
            SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
        if (index < 0 || index >= 6) return 0;
        return ScaleAxis(SDL_GameControllerGetAxis(c_, kAxes[index]));
    }
    float Hat() override {
        return HatFraction(SDL_GameControllerGetButton(c_, SDL_CONTROLLER_BUTTON_DPAD_UP),
                           SDL_GameControllerGetButton(c_, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                           SDL_GameControllerGetButton(c_, SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                           SDL_GameControllerGetButton(c_, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    }
    std::string Name() override {
        const char* n = SDL_GameControllerName(c_);
        return n ? n : "controller";
    }
    bool KnownLayout() const override { return true; }

  private:
    SDL_GameController* c_;
};

// Any other joystick: raw button numbers, its first six axes and its first hat.
class RawJoystickDevice : public TJoystickDevice {
  public:
    explicit RawJoystickDevice(SDL_Joystick* j) : j_(j) {}
    ~RawJoystickDevice() override { SDL_JoystickClose(j_); }
    std::uint32_t Buttons() override {
        std::uint32_t bits = 0;
        int n = std::min(SDL_JoystickNumButtons(j_), 16);
        for (int i = 0; i < n; ++i)
            if (SDL_JoystickGetButton(j_, i)) bits |= 1u << i;
        return bits;
    }
    float Axis(int index) override {
        if (index < 0 || index >= SDL_JoystickNumAxes(j_) || index >= 6) return 0;
        return ScaleAxis(SDL_JoystickGetAxis(j_, index));
    }
    float Hat() override {
        if (SDL_JoystickNumHats(j_) < 1) return -1;
        Uint8 h = SDL_JoystickGetHat(j_, 0);
        return HatFraction(h & SDL_HAT_UP, h & SDL_HAT_RIGHT, h & SDL_HAT_DOWN, h & SDL_HAT_LEFT);
    }
    std::string Name() override {
        const char* n = SDL_JoystickName(j_);
        return n ? n : "joystick";
    }

  private:
    SDL_Joystick* j_;
};

void OpenJoystick(int deviceIndex) {
    if (SDL_IsGameController(deviceIndex)) {
        if (SDL_GameController* c = SDL_GameControllerOpen(deviceIndex)) {
            int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
            AttachJoystick(id, std::make_unique<ControllerDevice>(c));
            return;
        }
    }
    if (SDL_Joystick* j = SDL_JoystickOpen(deviceIndex))
        AttachJoystick(SDL_JoystickInstanceID(j), std::make_unique<RawJoystickDevice>(j));
}

void TranslateWindow(const SDL_WindowEvent& w) {
    switch (w.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostInputEvent({InputEvent::CLOSE_REQUEST});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            PostInputEvent({InputEvent::FOCUS_LOST});
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            PostInputEvent({InputEvent::FOCUS_GAINED});
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            PostInputEvent({InputEvent::HIDDEN});
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_MAXIMIZED:
            PostInputEvent({InputEvent::SHOWN});
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (g_window) {
                InputEvent resized{InputEvent::RESIZED};
                SDL_GL_GetDrawableSize(g_window, &resized.x, &resized.y);
                PostInputEvent(resized);
            }
            break;
        default:
            break;
    }
}

// Typed text, UTF-8, as character codes; anything beyond 16 bits cannot be stored and is dropped.
void TranslateText(const char* text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; s[i] != 0;) {
        unsigned c = s[i];
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        unsigned code = len == 1 ? c : c & (0x7fu >> len);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            if ((s[i + k] & 0xc0) != 0x80) {
                ok = false;
                len = k;
                break;
            }
            code = (code << 6) | (s[i + k] & 0x3f);
        }
        if (ok && code < 0x10000 && code >= 32) PostInputEvent({InputEvent::CHAR, int(code)});
        i += static_cast<std::size_t>(len);
    }
}

void TranslateMouse(const SDL_Event& e) {
    if (e.type == SDL_MOUSEMOTION) {
        InputEvent ie{InputEvent::MOUSE_MOVE};
        ie.x = e.motion.x;
        ie.y = e.motion.y;
        PostInputEvent(ie);
        return;
    }
    int b = MapMouseButton(e.button.button);
    if (b < 0) return;
    InputEvent move{InputEvent::MOUSE_MOVE};
    move.x = e.button.x;
    move.y = e.button.y;
    PostInputEvent(move);
    PostInputEvent(
        {e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::MOUSE_DOWN : InputEvent::MOUSE_UP, b});
}

void Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            PostInputEvent({InputEvent::CLOSE_REQUEST});
            break;
        case SDL_WINDOWEVENT:
            TranslateWindow(e.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            // A key the game has no code for still tells the input layer it was pressed (code
            // -1), so a screen waiting for a key can say it cannot use that one.
            const int code = MapKey(e.key.keysym.sym);
            InputEvent ie{e.type == SDL_KEYDOWN ? InputEvent::KEY_DOWN : InputEvent::KEY_UP, code};
            ie.repeat = e.key.repeat != 0;
            PostInputEvent(ie);
            break;
        }
        case SDL_TEXTINPUT:
            TranslateText(e.text.text);
            break;
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateMouse(e);
            break;
        case SDL_JOYDEVICEADDED:
            OpenJoystick(e.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            DetachJoystick(e.jdevice.which);
            break;
        default:
            break;
    }
}

class SDLEventPump : public TEventPump {
  public:
    void Pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) Translate(e);
    }
};
SDLEventPump g_pump;

// While it lives, SIGTERM and SIGINT end the program as they normally do, instead of becoming the
// quit event SDL makes of them.
class PlainSignals {
  public:
    PlainSignals() {
        struct sigaction plain = {};
        plain.sa_handler = SIG_DFL;
        sigaction(SIGTERM, &plain, &term_);
        sigaction(SIGINT, &plain, &int_);
    }
    ~PlainSignals() {
        sigaction(SIGTERM, &term_, nullptr);
        sigaction(SIGINT, &int_, nullptr);
    }
    PlainSignals(const PlainSignals&) = delete;
    PlainSignals& operator=(const PlainSignals&) = delete;

  private:
    struct sigaction term_ = {};
    struct sigaction int_ = {};
};

class PlatformSink : public TNotifySink {
  public:
    void Notify(const std::string& text, bool serious) override {
        // A message box runs its own event loop, which never looks at SDL's quit event: the
        // signals go back to their plain meaning before anyone can read the message and send one.
        PlainSignals plain;
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        // Asked to quit already: nobody is waiting for the box.
        if (!g_videoOk || SDL_HasEvent(SDL_QUIT)) return;
        SDL_ShowSimpleMessageBox(serious ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
                                 AppTitle().c_str(), text.c_str(), g_window);
    }
};
PlatformSink g_sink;
}  // namespace

namespace {
XErrorHandler g_previousXHandler = nullptr;
bool g_catchingX = false;
std::string g_xError;

int RecordXError(Display* display, XErrorEvent* e) {
    if (g_xError.empty()) {
        char text[128] = "";
        XGetErrorText(display, e->error_code, text, sizeof text);
        g_xError = std::string(text) + ", request " + std::to_string(int(e->request_code)) + "." +
                   std::to_string(int(e->minor_code));
    }
    return 0;
}
}  // namespace

std::string PlatformCatchXErrors(bool on) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11" || on == g_catchingX) return "";
    g_catchingX = on;
    if (on) {
        g_xError.clear();
        g_previousXHandler = XSetErrorHandler(RecordXError);
        return "";
    }
    XSetErrorHandler(g_previousXHandler);
    g_previousXHandler = nullptr;
    return std::exchange(g_xError, std::string());
}

namespace {
// SDL falls back on drivers that show nothing (offscreen, dummy) when no display answers. A game
// nobody can see is no use: those run only when somebody asked for them by name.
bool Invisible(const char* driver) {
    const std::string name = driver ? driver : "";
    return name == "offscreen" || name == "dummy";
}

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Whether the user chose a video driver by name.
bool Asked() {
    return Set("SDL_VIDEODRIVER");
}

// SDL's own error text here is often left over from something unrelated (a joystick library
// it could not load), so the reason names the display that was tried instead.
std::string NoDisplayReason() {
    const bool x = Set("DISPLAY"), wayland = Set("WAYLAND_DISPLAY");
    if (!x && !wayland) return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    const std::string xName =
        x ? std::string("the X display \"") + std::getenv("DISPLAY") + "\"" : "";
    const std::string waylandName =
        wayland ? std::string("the Wayland display \"") + std::getenv("WAYLAND_DISPLAY") + "\""
                : "";
    if (x && wayland) return "neither " + waylandName + " nor " + xName + " could be reached";
    return (x ? xName : waylandName) + " could not be reached";
}

bool StartVideo(std::string& why) {
    // With no display to talk to, SDL would only find drivers that show nothing (after the
    // Wayland library has complained on stderr): say so at once instead.
    if (!Asked() && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
        why = NoDisplayReason();
        return false;
    }
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
        // No joystick support is no reason to run without a window.
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            why = Asked() ? std::string("the video driver \"") + std::getenv("SDL_VIDEODRIVER") +
                                "\" did not start (" + SDL_GetError() + ")"
                          : NoDisplayReason();
            return false;
        }
    }
    if (Invisible(SDL_GetCurrentVideoDriver()) && !Asked()) {
        why = NoDisplayReason();
        SDL_Quit();
        return false;
    }
    g_videoOk = true;
    AddExitHook(
        [] {
            DetachAllJoysticks();
            SDL_Quit();
            g_videoOk = false;
            g_videoTried = false;  // a game started again in this process starts SDL again
        },
        ExitStage::Platform);
    return true;
}
}  // namespace

bool PlatformInitVideo(std::string* why) {
    // Tried once: a display that was not there at start is not looked for again.
    static std::string failure;
    if (!g_videoTried) {
        g_videoTried = true;
        // From here on a message may come in a box over the game.
        SetPlatformNotifySink(&g_sink);
        StartVideo(failure);
    }
    if (!g_videoOk && why) *why = failure;
    return g_videoOk;
}

namespace {
// The real pointer over the game's window.
class SDLPointer : public TPointerDevice {
  public:
    void Show(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
    void Warp(int x, int y) override {
        if (g_window) SDL_WarpMouseInWindow(g_window, x, y);
    }
};
SDLPointer g_pointer;
}  // namespace

void PlatformStartPolling(SDL_Window* window) {
    g_window = window;
    SDL_StartTextInput();
    SetPointerDevice(&g_pointer);
    SetEventPump(&g_pump);
}

void PlatformStopPolling() {
    g_window = nullptr;
    SetPointerDevice(nullptr);
    SetEventPump(nullptr);
}
