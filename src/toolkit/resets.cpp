#include "toolkit/resets.h"

#include <vector>

namespace {
// Built on first use, so registrations from any file's static start-up find it ready.
std::vector<void (*)()>& Resets() {
    static std::vector<void (*)()> resets;
    return resets;
}
}  // namespace

bool RegisterReset(void (*reset)()) {
    Resets().push_back(reset);
    return true;
}

void ResetSingletons() {
    for (void (*reset)() : Resets()) reset();
}
