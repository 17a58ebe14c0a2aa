#include "engine/timing.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace {
class SystemClock : public TClockSource {
  public:
    int MilliSecs() override {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
        // A tick count wraps like a 32-bit counter would.
        return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)));
    }
    void Delay(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

SystemClock g_system;
TClockSource* g_source = &g_system;
}  // namespace

void SetClockSource(TClockSource* source) {
    g_source = source ? source : &g_system;
}
TClockSource* ClockSource() {
    return g_source;
}
int MilliSecs() {
    return g_source->MilliSecs();
}
void Delay(int ms) {
    if (ms > 0) g_source->Delay(ms);
}
