#include "screens/screen_ctrl_config.h"

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/resets.h"

namespace {
constexpr int kButtons = 12;
// Character codes above this are not 8-bit text: they can never be a binding.
constexpr int kLastCode = 255;

struct Question {
    const char* prompt;
    const char* action;
    int* setting;
};

const Question kKeyQuestions[] = {{"Press a key to", "Move Right", &cfgKeysRight},
                                  {"Press a key to", "Move Left", &cfgKeysLeft},
                                  {"Press a key to", "Jump", &cfgKeysAction},
                                  {"Press a key to", "Pause Game", &cfgKeysPause},
                                  {"Configuration saved", "Press Any key", nullptr}};
const Question kPadQuestions[] = {{"Press a button to", "Jump", &cfgJoyAction},
                                  {"Press a button to", "Pause Game", &cfgJoyPause},
                                  {"Configuration saved", "Press Any key", nullptr}};

int UpperCode(int c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

// Characters whose upper-cased code is their key's own code, as settings files have always
// stored them: letters, digits, space, enter and escape.
bool OwnCode(int upper) {
    return (upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9') || upper == vk::SPACE ||
           upper == vk::ENTER || upper == vk::ESCAPE;
}
}  // namespace

int ScreenCtrlConfig::Start() {
    RegisterReset(&ScreenCtrlConfig::Reset);
    FlushKeys();
    FlushJoy(-1);
    ctrlStep = 0;
    keyRefused = false;
    return 0;
}

int ScreenCtrlConfig::Finish() {
    SaveConfig();
    FlushKeys();
    FlushJoy(-1);
    return 0;
}

int ScreenCtrlConfig::Quit() {
    screenManager->Show(SCREEN_CONTROLS);
    return 0;
}

void ScreenCtrlConfig::Accept(int& setting, int value) {
    setting = value;
    ++ctrlStep;
    SFX::Play(SFX::UI2);
    // One press answers one question: the others of the same moment (two buttons pressed
    // together, a second character typed in the frame) must not answer the next one too. Key
    // hits stay, as the rest of the frame may read them.
    while (GetChar() != 0) {
    }
    FlushJoy(-1);
}

int ScreenCtrlConfig::WaitForKeyPress(int& code) {
    // The typed character is taken first, so an arrow pressed with it loses it.
    const int c = GetChar();
    const int key = LastKeyHit();
    if (KeyHit(vk::LEFT)) {
        code = ARROW_LEFT;
    } else if (KeyHit(vk::RIGHT)) {
        code = ARROW_RIGHT;
    } else if (KeyHit(vk::UP)) {
        code = ARROW_UP;
    } else if (KeyHit(vk::DOWN)) {
        code = ARROW_DOWN;
    } else if (c != 0 && OwnCode(UpperCode(c))) {
        code = UpperCode(c);
    } else if (key > 0 && key <= kLastCode) {
        // "," types 44 but is the key 188: the key that was pressed is what must be bound, or
        // the binding would be a dead key (or another one: "%" is 37, the left arrow).
        code = key;
    } else {
        // A character with no key behind it (an input method) or a key the game has no code for.
        keyRefused = keyRefused || c != 0 || key < 0;
        return 0;
    }
    keyRefused = false;
    return 1;
}

int ScreenCtrlConfig::WaitJoyPress(int& button) {
    for (int b = 0; b < kButtons; ++b) {
        if (JoyHit(b, 0)) {
            button = b;
            return 1;
        }
    }
    return 0;
}

void ScreenCtrlConfig::KeyboardStep() {
    if (ctrlStep >= int(std::size(kKeyQuestions))) {
        Quit();
        return;
    }
    const Question& q = kKeyQuestions[ctrlStep];
    int code = 0;
    const bool answered = WaitForKeyPress(code) == 1;
    ctrlLines = {keyRefused ? CANNOT_BIND : q.prompt, q.action};
    if (!answered) return;
    int ignored = 0;
    Accept(q.setting ? *q.setting : ignored, code);
}

void ScreenCtrlConfig::JoystickStep() {
    // Nobody can answer without a pad: back to the controls, keeping what was answered.
    if (ctrlStep >= int(std::size(kPadQuestions)) || JoyCount() == 0) {
        Quit();
        return;
    }
    const Question& q = kPadQuestions[ctrlStep];
    ctrlLines = {q.prompt, q.action};
    int button = 0;
    if (!WaitJoyPress(button)) return;
    int ignored = 0;
    Accept(q.setting ? *q.setting : ignored, button);
}

int ScreenCtrlConfig::Update() {
    if (ctrlMode == JOYPAD) {
        JoystickStep();
    } else {
        KeyboardStep();
    }
    return 0;
}

int ScreenCtrlConfig::Render() {
    const int x = display->Width() / 2;
    SetColor(255, 255, 255);
    gameFont->Draw(Upper(ctrlLines[0]), x, display->Height() / 2 - 8, TBitMapFont::ALIGN_CENTER);
    SetColor(0, 202, 0);
    gameFont->Draw(Upper(ctrlLines[1]), x, 104, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    return 0;
}

void ScreenCtrlConfig::Reset() {
    state_ = CtrlConfigState{};
}
