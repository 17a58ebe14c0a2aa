#include "engine/system.h"

#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

TNotifySink* PlatformNotifySink();  // sdl_platform.cpp

namespace {
TNotifySink* g_sink = nullptr;
TEventPump* g_pump = nullptr;
std::string g_title = "Kestrune";

std::vector<std::function<void()>>& Hooks() {
    static std::vector<std::function<void()>> hooks;
    return hooks;
}
}  // namespace

void SetNotifySink(TNotifySink* sink) {
    g_sink = sink;
}

void Notify(const std::string& text, int serious) {
    TNotifySink* sink = g_sink ? g_sink : PlatformNotifySink();
    sink->Notify(text, serious != 0);
}

void AddExitHook(std::function<void()> hook) {
    Hooks().push_back(std::move(hook));
}

namespace {
// Longest the exit hooks and the library destructors may take before the process ends anyway.
constexpr int kLeaveMilliseconds = 100;
volatile std::sig_atomic_t g_leaveCode = 0;

void LeaveNow(int) {
    _exit(g_leaveCode);
}

// A closed game must go at once even when a library hangs on its way out (a sound server that
// does not answer, a busy machine): a timer ends the process if the clean exit takes too long.
void GuardLeaving(int code) {
    g_leaveCode = code;
    std::signal(SIGALRM, LeaveNow);
    itimerval timer{};
    timer.it_value.tv_usec = kLeaveMilliseconds * 1000;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

[[noreturn]] void Leave(int code) {
    GuardLeaving(code);
    std::vector<std::function<void()>> hooks;
    hooks.swap(Hooks());
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) (*it)();
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
