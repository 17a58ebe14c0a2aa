// The music's streaming reader on any bytes, fed as the mixer feeds it: a piece at a time, pieces
// of many sizes, looping. It must never read more than it is asked for, give less only once it
// has ended, stop after a bounded amount of sound when the data is broken (never a loop of
// noise), and, when it ends whole, have given exactly what a plain decode gives.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/audio_sample.h"

namespace {
constexpr std::size_t kPieces[] = {1, 3, 17, 128, 4096, 7, 512, 2048};
// Enough for a few passes of any short stream; a long one is cut off here, whole or not.
constexpr std::size_t kMostFrames = std::size_t{1} << 20;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool loop : {false, true}) {
        TOggStream stream;
        if (!stream.Open(data, size, loop)) return 0;
        const std::size_t channels = static_cast<std::size_t>(stream.Channels());
        std::vector<std::int16_t> heard, piece(4096 * channels);
        for (std::size_t i = 0; !stream.Ended() && heard.size() < kMostFrames * channels; ++i) {
            const std::size_t want = kPieces[i % std::size(kPieces)];
            const std::size_t got = stream.Read(piece.data(), want);
            Check(got <= want);
            Check(got == want || stream.Ended());
            heard.insert(heard.end(), piece.begin(), piece.begin() + got * channels);
        }
        if (loop || !stream.Ended() || !stream.Damage().empty()) continue;
        auto whole = DecodeOggVorbis(data, size);
        Check(whole ? whole->samples == heard : heard.empty());
    }
    return 0;
}
