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

// The sink Notify uses: nullptr restores the platform's. Not owned.
void SetNotifySink(TNotifySink* sink);
// The platform's sink, which the platform hands over once it can show a box (a message box and
// stderr); until then messages go to stderr alone. Not owned.
void SetPlatformNotifySink(TNotifySink* sink);
void Notify(const std::string& text, int serious = 0);

// When an exit hook runs: the game's own work in flight first (it may still be using what the
// others close), then the display's (it puts back a desktop mode the game changed, and nothing
// after it may keep that from happening), then the sound's, then the platform library's own end,
// which the others still need.
enum class ExitStage { Game, Display, Sound, Platform };
// Runs when End is called, in stage order, the most recently added first within a stage. A hook
// already waiting is not added again. May be called from any thread.
void AddExitHook(void (*hook)(), ExitStage stage);
// Takes a waiting hook away; one that is not waiting is ignored.
void RemoveExitHook(void (*hook)());
// Runs the waiting exit hooks now, as End would, and keeps the process: a game shut down and
// started again in one process (the tests). Each hook runs once; what starts again adds its own.
void RunExitHooks();
// Flushes buffered output, runs the exit hooks, then ends the process with exit code 0. Should a
// hook or a library's own clean-up hang for a second, the process ends anyway, saying so on
// stderr.
[[noreturn]] void End();
// The same for a failure: the exit hooks, then the process ends with `code` (not 0).
[[noreturn]] void EndWithError(int code);

// Every thread allocates from one heap: the game's few threads allocate little, and the arena of
// its own each would otherwise get keeps a megabyte or two resident for nothing. Call before
// threads start.
void UseOneHeap();
// Hands the heap's free pages back to the system: after loading, the decoders' and the image
// reader's scratch space is free but would otherwise stay resident for the whole run.
void ReturnFreedMemory();

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
