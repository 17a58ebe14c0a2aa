// Compares the game's Ogg Vorbis decoder with a reference decoder's PCM of the same file.
//   ogg_compare FILE.ogg [REFERENCE.raw]
// The reference is 16-bit little-endian signed PCM, interleaved, undithered (sox -D does that).
// Prints "identical", "differs" with where, or "refused" with the decoder's reason; without a
// reference, "decoded" with the rate, channels and frames.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/audio_sample.h"
#include "engine/stream.h"

namespace {
int Compare(const TAudioSample& got, const std::vector<std::uint8_t>& ref) {
    const std::size_t values = ref.size() / 2;
    std::size_t first = values;
    for (std::size_t i = 0; i < std::min(values, got.samples.size()) && first == values; ++i)
        if (static_cast<std::int16_t>(ref[2 * i] | (ref[2 * i + 1] << 8)) != got.samples[i])
            first = i;
    if (values != got.samples.size())
        std::printf("differs: %zu values against the reference's %zu\n", got.samples.size(),
                    values);
    else if (first != values)
        std::printf("differs: from value %zu on\n", first);
    else
        std::printf("identical: %d Hz, %d channels, %d frames\n", got.hertz, got.Channels(),
                    got.length);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: ogg_compare FILE.ogg [REFERENCE.raw]\n");
        return 2;
    }
    std::vector<std::uint8_t> ogg, ref;
    if (!LoadBytes(argv[1], ogg)) {
        std::printf("missing: %s\n", argv[1]);
        return 1;
    }
    std::string why;
    std::unique_ptr<TAudioSample> got = DecodeOggVorbis(ogg.data(), ogg.size(), &why);
    if (!got) {
        std::printf("refused: %s\n", why.empty() ? "(no reason given)" : why.c_str());
        return 0;
    }
    if (argc == 2 || !LoadBytes(argv[2], ref)) {
        std::printf("decoded: %d Hz, %d channels, %d frames\n", got->hertz, got->Channels(),
                    got->length);
        return 0;
    }
    return Compare(*got, ref);
}
