#include "support/audio_wave.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/audio.h"
#include "engine/openal_driver.h"
#include "support/temp_dir.h"

namespace {
// Tests never open a real sound card: unless the run chose an OpenAL output itself, OpenAL Soft's
// silent null output is used. Set before main, so before any OpenAL call of the process.
const bool kNullOutputByDefault = setenv("ALSOFT_DRIVERS", "null", 0) == 0;
}  // namespace

std::string AudioFixture(const std::string& name) {
    return std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/" + name;
}

std::vector<std::uint8_t> ReadAudioFixture(const std::string& name) {
    std::ifstream in(AudioFixture(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// The samples after the "data" chunk header. The length fields are not trusted: they are only
// written when the device closes cleanly.
std::vector<std::int16_t> WaveSamples(const std::vector<std::uint8_t>& file) {
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = Le32(file, at + 4);
        if (std::memcmp(file.data() + at, "data", 4) == 0) {
            std::vector<std::int16_t> pcm((file.size() - at - 8) / 2);
            std::memcpy(pcm.data(), file.data() + at + 8, pcm.size() * 2);
            return pcm;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}
}  // namespace

std::vector<std::int16_t> CaptureWaveOutput(const std::function<void()>& body) {
    TempDir dir;
    const std::string wave = dir.File("mix.wav");
    const std::string conf = dir.File("alsoft.conf");
    {
        std::ofstream out(conf);
        out << "[general]\ndrivers = wave\nfrequency = " << kWaveHertz
            << "\nchannels = mono\nsample-type = int16\ndither = false\n[wave]\nfile = " << wave
            << "\n";
    }
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    // The variable would win over the file's driver list.
    unsetenv("ALSOFT_DRIVERS");
    SetAudioDriver(CreateOpenALDriver());
    if (AudioDriver().Name() != "OpenAL") {
        std::fprintf(stderr, "the wave output did not open\n");
        return {};
    }
    body();
    ShutdownAudio();
    std::ifstream in(wave, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    return WaveSamples(bytes);
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
