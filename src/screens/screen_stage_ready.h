#pragma once
// Shown before every stage and after every stage end: the instructions of a new game, the next
// stage's number, the stage to try again or the game-over summary, the lives left, and a
// blinking prompt. The player's jump control moves on.

#include <array>
#include <memory>
#include <string>

#include "shell/screen_manager.h"
#include "toolkit/anim.h"
#include "toolkit/tween.h"

class ScreenStageReady : public BaseScreenClass {
  public:
    // Blink timer of the prompt, 0 to 2 once a second.
    std::unique_ptr<Tween> GetReadyFlash;
    // Before this game-clock time the prompt is not drawn.
    GameTime GetReadyFlashDelay = 0;

    int Create() override;
    int Start() override;
    // The next stage, whichever screen it is, begins with the curtains opening.
    int Finish() override;
    int Update() override;
    int Render() override;
    // The stage number as the player reads it: one-based, two digits below 10, otherwise the
    // number less offset.
    virtual std::string FormatedStageNumber(int offset);

    // The four lines of text (the last is the prompt) for the running stage's state.
    std::array<std::string, 4> Lines();
};
