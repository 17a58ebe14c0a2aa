#include "support/audio_wave.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/audio.h"
#include "engine/openal_driver.h"

namespace {
// Tests never play on a real sound card: unless the run chose an output itself, SDL's silent dummy
// output pulls the mix. Set before main, so before any audio call of the process.
const bool kNullOutputByDefault = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;
}  // namespace

std::string AudioFixture(const std::string& name) {
    return std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/" + name;
}

std::vector<std::uint8_t> ReadAudioFixture(const std::string& name) {
    std::ifstream in(AudioFixture(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

LoopbackMix::LoopbackMix() {
    UseOpenALLoopback(kWaveHertz);
    SetAudioDriver(CreateOpenALDriver());
}

LoopbackMix::~LoopbackMix() {
    ShutdownAudio();
    UseOpenALLoopback(0);
}

bool LoopbackMix::MixFor(int ms) {
    std::vector<std::int16_t> more = MixOpenAL(ms);
    pcm.insert(pcm.end(), more.begin(), more.end());
    return !more.empty();
}

std::vector<int> WindowPeaks(const std::vector<std::int16_t>& pcm, int windowMs) {
    const std::size_t window = static_cast<std::size_t>(kWaveHertz) * windowMs / 1000;
    std::vector<int> peaks;
    for (std::size_t at = 0; at + window <= pcm.size(); at += window) {
        int peak = 0;
        for (std::size_t i = at; i < at + window; ++i) peak = std::max(peak, std::abs(int(pcm[i])));
        peaks.push_back(peak);
    }
    return peaks;
}

void ExitChild(bool ok) {
    std::fflush(nullptr);
    std::_Exit(ok ? 0 : 1);
}
