#include "engine/system.h"

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
[[noreturn]] void Leave(int code) {
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
