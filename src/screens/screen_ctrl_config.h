#pragma once
// Asks, one after the other, for the key (or pad button) of each action and stores every answer
// in the settings at once; the settings file is written when the screen is left.

#include <array>
#include <string>

#include "shell/screen_manager.h"

// The class-level globals of ScreenCtrlConfig with their values at start-up.
struct CtrlConfigState {
    int ctrlMode = 0;
    int ctrlStep = 0;
    // The prompt and the action's name; kept between visits.
    std::array<std::string, 2> ctrlLines;
    // The last key pressed could not be bound: the question line says so until one can.
    bool keyRefused = false;
};

class ScreenCtrlConfig : public BaseScreenClass {
    static inline CtrlConfigState state_;

  public:
    static constexpr int KEYB = 0;
    static constexpr int JOYPAD = 1;

    static inline int& ctrlMode = state_.ctrlMode;
    static inline int& ctrlStep = state_.ctrlStep;
    static inline std::array<std::string, 2>& ctrlLines = state_.ctrlLines;
    static inline bool& keyRefused = state_.keyRefused;
    // The question line while the last key pressed cannot be bound.
    static constexpr const char* CANNOT_BIND = "That key cannot be bound";

    // The first question.
    int Start() override;
    // Saves the settings.
    int Finish() override;
    // Sets the two lines of the current step, then asks once for an answer.
    int Update() override;
    int Render() override;
    // Back to the controls screen.
    virtual int Quit();
    // 1 with the code of a key pressed this frame: an arrow's special code, a letter's or
    // digit's character upper-cased (its key's own code), or else the code of the key that was
    // pressed; 0 when none was, or none that can be bound (keyRefused is then set).
    virtual int WaitForKeyPress(int& code);
    // 1 with the lowest of buttons 0..11 of the first pad hit this frame; 0 when none was.
    virtual int WaitJoyPress(int& button);

    // Everything back to its value at start-up (tests).
    static void Reset();

  private:
    void KeyboardStep();
    void JoystickStep();
    // Stores the answer, moves on and plays the confirm sound.
    void Accept(int& setting, int value);
};
