#pragma once
// Process-level services: the message box, ending the program, the window caption and the
// platform's event pump.

#include <functional>
#include <string>

// Where Notify's messages go. The game shows a modal box; tests record instead, because a real
// box under a virtual X server waits for a click that never comes.
class TNotifySink {
  public:
    virtual ~TNotifySink() = default;
    // Shows the text in a modal message box and returns once it is dismissed.
    virtual void Notify(const std::string& text, bool serious) = 0;
};

// nullptr restores the platform sink (message box and stderr). Not owned.
void SetNotifySink(TNotifySink* sink);
void Notify(const std::string& text, int serious = 0);

// Runs when End is called, the most recently added first.
void AddExitHook(std::function<void()> hook);
// Runs the exit hooks, then ends the process with exit code 0.
[[noreturn]] void End();
// The same for a failure: the exit hooks, then the process ends with `code` (not 0).
[[noreturn]] void EndWithError(int code);

// Caption for windows opened from now on.
void AppTitle(const std::string& title);
const std::string& AppTitle();

// Pumps the platform's pending window messages into the input tables. Graphics installs one;
// with none installed polling does nothing.
class TEventPump {
  public:
    virtual ~TEventPump() = default;
    // Handles every pending window, input and pad event of the platform.
    virtual void Pump() = 0;
};
// Installs the pump PollSystem runs; null removes it. Not owned.
void SetEventPump(TEventPump* pump);
// Runs the installed pump, if any: every input query calls it first.
void PollSystem();
