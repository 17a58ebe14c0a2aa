#pragma once
// A clock the test moves by hand; Delay advances it instead of sleeping. Installed for its
// lifetime.

#include "engine/timing.h"

class ManualClock : public TClockSource {
  public:
    explicit ManualClock(int start = 1000) : now_(start) { SetClockSource(this); }
    ~ManualClock() override { SetClockSource(nullptr); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    int MilliSecs() override { return now_; }
    void Delay(int ms) override {
        if (ms > 0) {
            now_ += ms;
            slept_ += ms;
        }
    }
    void Advance(int ms) { now_ += ms; }
    void Set(int ms) { now_ = ms; }
    int Now() const { return now_; }
    // Milliseconds spent in Delay.
    int Slept() const { return slept_; }

  private:
    int now_;
    int slept_ = 0;
};
