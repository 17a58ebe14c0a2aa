#include "toolkit/anim.h"

#include <cstdint>

#include "engine/timing.h"

namespace {
std::int64_t g_accumulated = 0;
int g_last = 0;
}  // namespace

GameTime GameMilliSecs() {
    int now = MilliSecs();
    // The difference is taken modulo 2^32, so the tick counter wrapping round after 49 days reads
    // as the one millisecond it is; any real backward step still adds its size.
    auto step = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                          static_cast<std::uint32_t>(g_last));
    g_accumulated += step >= 0 ? step : -static_cast<std::int64_t>(step);
    g_last = now;
    return g_accumulated;
}

void InitGameClock(GameTime start) {
    g_accumulated = start;
    g_last = MilliSecs();
}

void TAnim::Update() {
    if (stopped == 1 || sequence.empty()) return;
    if (timer >= GameMilliSecs()) return;
    timer = frame_time + GameMilliSecs();
    ++seq_frame;
    const int size = static_cast<int>(sequence.size());
    if (seq_frame >= size) {
        seq_frame = 0;
        ++loop_count;
    } else if (seq_frame < 0) {
        seq_frame = 0;  // after SetValue with a negative number
    }
    if (loops >= 0 && loop_count == loops) {
        stopped = 1;
        return;
    }
    curr_frame = sequence[static_cast<std::size_t>(seq_frame)];
}

void TAnim::Restart(int loopsWanted) {
    seq_frame = 0;
    curr_frame = 0;
    loops = loopsWanted;
    loop_count = 0;
    stopped = 0;
}

void TAnim::SetValue(int value) {
    seq_frame = value;
    curr_frame = value;
    timer = frame_time + GameMilliSecs();
}

std::unique_ptr<TAnim> CreateAnim(std::vector<int> sequence, int frameTime) {
    auto anim = std::make_unique<TAnim>();
    anim->sequence = std::move(sequence);
    anim->frame_time = frameTime;
    return anim;
}
