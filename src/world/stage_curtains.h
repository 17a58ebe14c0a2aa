#pragma once
// The two black curtains that open every stage and close it again. While they move the stage
// stands still; when they have opened the enemies appear and the stage music starts, and when
// they have closed the stage-ready screen follows.

#include <memory>

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
    int Speed = 500;

    // Takes the virtual screen's height.
    TStageCurtins();
    virtual ~TStageCurtins() = default;
    // Both curtains, unless idle; in screen coordinates, over everything.
    virtual void Render();
    // Advances the opening or closing and acts at its end.
    virtual void Update();
    // Fully closed at once; Action is left as it is.
    virtual void ForceClosed();

  private:
    void Begin(float from, float to, int running);
    void Opened();
    // The running tween has ended (or, set by hand without one, there is none).
    bool Finished() const;
};
