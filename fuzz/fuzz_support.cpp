#include "fuzz_support.h"

#include "engine/stream.h"
#include "engine/system.h"

namespace {
class QuietSink : public TNotifySink {
  public:
    void Notify(const std::string&, bool) override {}
};
QuietSink g_sink;
}  // namespace

void ArmGameEnd() {
    SetNotifySink(&g_sink);
    // End runs its hooks and takes them away: one hook per input.
    AddExitHook([] { throw GameEnded{}; }, ExitStage::Game);
}

std::vector<std::string> LinesOf(const std::uint8_t* data, std::size_t size) {
    TRamStream in(data, size);
    std::vector<std::string> lines;
    while (!in.Eof()) lines.push_back(in.ReadLine());
    return lines;
}
