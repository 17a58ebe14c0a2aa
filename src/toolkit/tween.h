#pragma once
// Tweening: one float eased from a start to an end value over a duration, on a shared clock.

#include <memory>

#include "toolkit/anim.h"
#include "toolkit/tween_equations.h"

// Milliseconds of the game clock, sampled once per logic tick so every tween updated in the
// same tick sees the same time.
inline GameTime tweenTime = 0;
void UpdateTweenTime();

// A value moving from `startt` to `startt + change` in `duration` ms along `equation`, which it
// does not own. Owners poll `isActive` to learn that it has finished.
class Tween {
  public:
    TweenEquationCall* equation = nullptr;
    float startt = 0;
    float change = 0;
    float current = 0;
    int isActive = 0;
    int isLooping = 0;
    int isYoYo = 0;
    int duration = 0;
    int loopCount = 0;
    GameTime timeStart = 0;
    int timeCurrent = 0;
    int timePrevious = 0;
    GameTime timePaused = 0;

    void Init(TweenEquationCall* eq, float start, float end, int durationMs);
    // The curve's value at `timeCurrent`.
    void UpdateValue();
    float Value() const { return current; }
    void SetEquation(TweenEquationCall* eq) { equation = eq; }
    void SetDuration(int durationMs) { duration = durationMs; }
    void SetYoYo(int flag) { isYoYo = flag; }
    void SetLooping(int flag) { isLooping = flag; }
    // Takes the end value, not the change.
    void SetValue(float start, float end);
    // From the start value, now.
    void Start();
    // Pauses; Resume carries on as if the pause had not happened.
    void Stop();
    void Resume();
    // Back to the start value without touching the running state.
    void Rewind();
    // To the curve's end and stopped.
    void FastForward();
    // From wherever the value stands to `end`. A running tween restarts its clock with the new
    // duration, and 0 or less stops it there; a stopped one starts again, keeping its old
    // duration unless the new one is positive.
    void ContinueTo(float end, int newDuration);
    // Back to the start value.
    void YoYo();
    // Advances to `tweenTime`; owners call it once per logic tick.
    void Update();

  private:
    void PassEnd();
};

// A tween on which Init has run; it waits for Start.
std::unique_ptr<Tween> CreateTween(TweenEquationCall* equation, float start, float end,
                                   int duration);

// Tests: `tweenTime` back to 0 and the shared curves as they were made.
void ResetTweens();
