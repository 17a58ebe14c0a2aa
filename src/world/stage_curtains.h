#pragma once
// The two black curtains that open every stage and close it again. While they move the stage
// stands still; when they have opened the enemies appear and the stage music starts. When they
// have closed they say so, and the screen that shows the stage decides what follows.

#include <memory>

#include "shell/tuning.h"
#include "toolkit/tween.h"

class TStageCurtins {
  public:
    static constexpr int FIN = 0;
    static constexpr int OPEN = 1;
    static constexpr int CLOSE = 2;
    static constexpr int RUNNING_CLOSE = 3;
    static constexpr int RUNNING_OPEN = 4;

    int Height = 0;
    int Action = FIN;
    // Width of each curtain over time; null until the first opening or closing.
    std::unique_ptr<Tween> Width;
    // Milliseconds for one opening or closing.
    int Speed = tuning::curtains::SPEED;

    // Takes the virtual screen's height.
    TStageCurtins();
    virtual ~TStageCurtins() = default;
    // Both curtains, unless idle; in screen coordinates, over everything.
    virtual void Render();
    // Advances the opening or closing.
    virtual void Update();
    // True from the first Update that finds a closing over (until the next opening or closing).
    virtual bool HaveClosed() const { return closed_ && Action == RUNNING_CLOSE; }
    // True after the Update that found an opening over, until the next Update: the stage then
    // lets its enemies appear and starts its music.
    bool JustOpened() const { return opened_; }
    // Fully closed at once; Action is left as it is.
    virtual void ForceClosed();

  private:
    bool closed_ = false;
    bool opened_ = false;
    void Begin(float from, float to, int running);
    void Opened();
    // The running tween has ended (or, set by hand without one, there is none).
    bool Finished() const;
};
