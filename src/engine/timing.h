#pragma once
// The millisecond clock behind everything timed, replaceable so tests can run on a manual clock.

class TClockSource {
  public:
    virtual ~TClockSource() = default;
    // Milliseconds as a signed 32-bit tick count; it may wrap.
    virtual int MilliSecs() = 0;
    // Sleeps about ms milliseconds.
    virtual void Delay(int ms) = 0;
};

// nullptr restores the system clock. The source is not owned.
void SetClockSource(TClockSource* source);
// The clock in use: the one set, or the system's.
TClockSource* ClockSource();

// Milliseconds of the clock in use; may wrap.
int MilliSecs();
// Sleeps; zero or negative does nothing.
void Delay(int ms);
