#include "toolkit/tween.h"

#include <climits>
#include <cstdint>

#include "toolkit/anim.h"

namespace {

// Milliseconds from `since` to `now`, held to the range of an int (a tween lasts at most that).
GameTime Elapsed(GameTime now, GameTime since) {
    const GameTime elapsed = now - since;
    return elapsed > INT_MAX ? INT_MAX : elapsed < INT_MIN ? INT_MIN : elapsed;
}

}  // namespace

void UpdateTweenTime() {
    tweenTime = GameMilliSecs();
}

void Tween::Init(TweenEquationCall* eq, float start, float end, int durationMs) {
    SetEquation(eq);
    SetDuration(durationMs);
    SetValue(start, end);
}

void Tween::UpdateValue() {
    // A run of no length is over as soon as it begins. The curves divide by the duration, and
    // the game does start a tween lasting 0 ms, so its value must not become 0/0.
    if (duration <= 0) {
        current = startt + change;
        return;
    }
    const auto t = static_cast<float>(timeCurrent);
    const auto d = static_cast<float>(duration);
    // Without a curve the value moves in a straight line rather than not at all.
    current = equation ? equation->Call(t, startt, change, d) : change * t / d + startt;
}

void Tween::SetValue(float start, float end) {
    startt = start;
    change = end - start;
}

void Tween::Start() {
    Rewind();
    isActive = 1;
    loopCount = 0;
}

void Tween::Stop() {
    if (isActive == 0) return;
    isActive = 0;
    timePaused = tweenTime;
}

void Tween::Resume() {
    if (isActive != 0) return;
    isActive = 1;
    // The run goes on where it stopped: its start moves on by the length of the pause.
    timeStart = tweenTime - (timePaused - timeStart);
    timePrevious = tweenTime;
    timePaused = 0;
}

void Tween::Rewind() {
    timeCurrent = 0;
    timePaused = 0;
    timeStart = tweenTime;
    UpdateValue();
}

void Tween::FastForward() {
    timeCurrent = duration;
    UpdateValue();
    Stop();
}

void Tween::ContinueTo(float end, int newDuration) {
    startt = current;
    SetValue(startt, end);
    if (isActive != 0) {
        if (newDuration != 0) duration = newDuration;
        timeStart = tweenTime;
        timeCurrent = 0;
        if (newDuration <= 0) Stop();
    } else {
        if (newDuration > 0) SetDuration(newDuration);
        Start();
    }
}

void Tween::YoYo() {
    ContinueTo(startt, 0);
}

void Tween::Update() {
    if (isActive == 0) return;
    timePrevious = timeCurrent;
    const GameTime elapsed = Elapsed(tweenTime, timeStart);
    if (elapsed > duration) {
        PassEnd();
    } else if (elapsed < 0) {
        timeCurrent = 0;
        timeStart = tweenTime;
        UpdateValue();
    } else {
        // At elapsed == duration this is the curve's own end value; the exact end value comes
        // on the next tick, when the end is passed.
        timeCurrent = static_cast<int>(elapsed);
        UpdateValue();
    }
}

void Tween::PassEnd() {
    if (isYoYo == 0 && isLooping == 0) {
        timeCurrent = duration;
        current = startt + change;
        Stop();
        return;
    }
    if (loopCount < INT_MAX) ++loopCount;
    if (isYoYo == 0) {
        // The new lap starts at this tick; its first value is computed on the next one.
        timeCurrent = 0;
        timeStart = tweenTime;
        return;
    }
    timeCurrent = duration;
    current = startt + change;
    if (isLooping != 0 || loopCount <= 1) {
        ContinueTo(startt, duration);
    } else {
        Stop();
    }
}

std::unique_ptr<Tween> CreateTween(TweenEquationCall* equation, float start, float end,
                                   int duration) {
    auto tween = std::make_unique<Tween>();
    tween->Init(equation, start, end, duration);
    return tween;
}

void ResetTweens() {
    tweenTime = 0;
    ResetTweenEquations();
}
