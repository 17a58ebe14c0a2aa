#include "engine/system.h"

#include <malloc.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {
// Before the platform can show a box: the message on stderr.
class StderrSink : public TNotifySink {
  public:
    void Notify(const std::string& text, bool) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
};
StderrSink g_stderrSink;
TNotifySink* g_platformSink = &g_stderrSink;
TNotifySink* g_sink = nullptr;
TEventPump* g_pump = nullptr;
std::string g_title = "Kestrune";

struct ExitHook {
    void (*run)();
    ExitStage stage;
};

std::vector<ExitHook>& Hooks() {
    static std::vector<ExitHook> hooks;
    return hooks;
}

std::mutex& HooksLock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

void SetNotifySink(TNotifySink* sink) {
    g_sink = sink;
}

void SetPlatformNotifySink(TNotifySink* sink) {
    g_platformSink = sink ? sink : &g_stderrSink;
}

void Notify(const std::string& text, int serious) {
    TNotifySink* sink = g_sink ? g_sink : g_platformSink;
    sink->Notify(text, serious != 0);
}

void AddExitHook(void (*hook)(), ExitStage stage) {
    std::lock_guard<std::mutex> hold(HooksLock());
    for (const ExitHook& h : Hooks())
        if (h.run == hook) return;
    Hooks().push_back({hook, stage});
}

void RemoveExitHook(void (*hook)()) {
    std::lock_guard<std::mutex> hold(HooksLock());
    std::erase_if(Hooks(), [hook](const ExitHook& h) { return h.run == hook; });
}

namespace {
// Longest the exit hooks and the library destructors may take before the process ends anyway:
// only a real hang (a sound server that stopped answering mid-call, say) is ever this slow.
constexpr int kLeaveMilliseconds = 1000;
volatile std::sig_atomic_t g_leaveCode = 0;

void LeaveNow(int) {
    static const char said[] = "Kestrune: closing took over a second; ending now.\n";
    (void)!write(STDERR_FILENO, said, sizeof said - 1);
    _exit(g_leaveCode);
}

// A closed game must go even when a library hangs on its way out: a timer ends the process if
// the clean exit takes too long. A hook that throws instead of ending (a fuzzer's or a test's)
// gets the timer and its signal back as they were. The caller's timer only runs while the
// caller's handler is in place: it is taken away before ours goes in and given back only once
// theirs is back. The other order let a timer about to fire reach our handler, which ended a
// fuzzer with code 0 in the middle of its run.
class LeavingGuard {
  public:
    explicit LeavingGuard(int code) {
        g_leaveCode = code;
        itimerval timer{};
        timer.it_value.tv_sec = kLeaveMilliseconds / 1000;
        timer.it_value.tv_usec = kLeaveMilliseconds % 1000 * 1000;
        setitimer(ITIMER_REAL, &timer, &timerBefore_);
        struct sigaction leave {};
        leave.sa_handler = LeaveNow;
        sigemptyset(&leave.sa_mask);
        sigaction(SIGALRM, &leave, &before_);
    }
    ~LeavingGuard() {
        // The whole action, flags and all: a handler set up for three arguments keeps them.
        sigaction(SIGALRM, &before_, nullptr);
        setitimer(ITIMER_REAL, &timerBefore_, nullptr);
    }
    LeavingGuard(const LeavingGuard&) = delete;
    LeavingGuard& operator=(const LeavingGuard&) = delete;

  private:
    struct sigaction before_ {};
    itimerval timerBefore_{};
};

}  // namespace

void RunExitHooks() {
    std::vector<ExitHook> hooks;
    {
        std::lock_guard<std::mutex> hold(HooksLock());
        hooks.swap(Hooks());
    }
    for (ExitStage stage :
         {ExitStage::Game, ExitStage::Display, ExitStage::Sound, ExitStage::Platform})
        for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
            if (it->stage == stage) it->run();
}

namespace {
[[noreturn]] void Leave(int code) {
    // Whatever was printed is out before anything can hang.
    std::fflush(nullptr);
    // Never destroyed on the way out: it guards the library destructors std::exit runs too.
    auto* guard = new LeavingGuard(code);
    try {
        RunExitHooks();
    } catch (...) {
        delete guard;
        throw;
    }
    std::fflush(nullptr);
    std::exit(code);
}
}  // namespace

void End() {
    Leave(0);
}

void EndWithError(int code) {
    Leave(code == 0 ? 1 : code);
}

void UseOneHeap() {
    mallopt(M_ARENA_MAX, 1);
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

void AppTitle(const std::string& title) {
    g_title = title;
}
const std::string& AppTitle() {
    return g_title;
}

void SetEventPump(TEventPump* pump) {
    g_pump = pump;
}
void PollSystem() {
    if (g_pump) g_pump->Pump();
}
