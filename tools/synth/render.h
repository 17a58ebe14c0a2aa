#pragma once
// Turns a parsed song into 16-bit PCM.

#include <cstdint>
#include <vector>

#include "source.h"

namespace synth {

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::int64_t frames = 0;
    std::vector<std::int16_t> samples;  // interleaved
};

// Same song, same bytes: noise is seeded from the song and nothing else varies between runs.
Pcm Render(const Song& song);

}  // namespace synth
