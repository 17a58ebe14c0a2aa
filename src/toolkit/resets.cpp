#include "toolkit/resets.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {
std::mutex& ResetsLock() {
    static std::mutex lock;
    return lock;
}

std::vector<void (*)()>& Resets() {
    static std::vector<void (*)()> resets;
    return resets;
}
}  // namespace

void RegisterReset(void (*reset)()) {
    std::lock_guard<std::mutex> hold(ResetsLock());
    if (std::find(Resets().begin(), Resets().end(), reset) == Resets().end())
        Resets().push_back(reset);
}

void ResetSingletons() {
    std::vector<void (*)()> resets;
    {
        std::lock_guard<std::mutex> hold(ResetsLock());
        resets = Resets();
    }
    for (auto it = resets.rbegin(); it != resets.rend(); ++it) (*it)();
}
