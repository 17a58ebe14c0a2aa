// Start-up sound loading (SFX::Load, every sound decoded into the driver) against the floor:
// libvorbisfile decoding the same embedded bytes one after another on one thread, keeping
// nothing. Both run in this one process, alternately; medians are reported.
//
//   bench_audio_decode [rounds]

#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/audio_sample.h"
#include "engine/stream.h"
#include "shell/embedded_assets.h"
#include "shell/sfx.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

constexpr double kMiB = 1024.0 * 1024.0;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // OpenAL's own silent output where there is no sound device: the buffers are real OpenAL
    // buffers all the same, so the game does all the work it does on a desktop.
    setenv("ALSOFT_DRIVERS", "null", 0);

    std::vector<const IncbinEntry*> files;
    RegisterEmbeddedAssets();
    for (const IncbinEntry& e : IncbinEntries())
        if (e.name.rfind("../assets/sounds/", 0) == 0) files.push_back(&e);
    std::vector<std::string> tableFiles;
    for (const SFXSound& s : SFX::Sounds())
        if (std::find(tableFiles.begin(), tableFiles.end(), s.file) == tableFiles.end())
            tableFiles.push_back(s.file);
    if (files.size() != tableFiles.size()) {
        std::fprintf(stderr, "this build embeds %zu of the %zu sound files\n", files.size(),
                     tableFiles.size());
        return 1;
    }

    // Both sides start with the compressed bytes paged in.
    std::size_t compressed = 0;
    unsigned sum = 0;
    for (const IncbinEntry* f : files) {
        compressed += f->size;
        for (std::size_t i = 0; i < f->size; i += 4096) sum += f->data[i];
    }
    // Start-up opens the audio device before any sound is loaded.
    const std::string driver = AudioDriver().Name();
    const double rssBefore = PeakRssMiB();

    std::vector<double> floorMs, gameMs;
    double pcmBytes = 0;
    double peakAfterFirst = 0;
    for (int r = 0; r < rounds; ++r) {
        Clock::time_point t0 = Clock::now();
        double bytes = 0;
        for (const IncbinEntry* f : files)
            bytes += double(DecodeOggVorbisDiscarding(f->data, f->size));
        floorMs.push_back(Ms(Clock::now() - t0));
        pcmBytes = bytes;

        t0 = Clock::now();
        SFX::Load();
        gameMs.push_back(Ms(Clock::now() - t0));
        if (r == 0) peakAfterFirst = PeakRssMiB();
        for (const SFXSound& s : SFX::Sounds())
            if (!s.sound) {
                std::fprintf(stderr, "the sound %s did not load\n", s.slot);
                return 1;
            }
        SFX::Reset();
        // Give the freed PCM back, so every round allocates afresh as a real start-up does.
        malloc_trim(0);
    }
    ShutdownAudio();

    const double floor = Median(floorMs);
    const double game = Median(gameMs);
    const double pcm = pcmBytes / kMiB;
    std::printf("driver %s, %zu files, %.1f MiB compressed, %.1f MiB PCM (checksum %u)\n",
                driver.c_str(), files.size(), compressed / kMiB, pcm, sum & 0xff);
    std::printf("floor: one thread, decode only  %8.1f ms (median of %d, best %.1f)\n", floor,
                rounds, *std::min_element(floorMs.begin(), floorMs.end()));
    std::printf("game:  SFX::Load                %8.1f ms (median of %d, best %.1f, first %.1f)\n",
                game, rounds, *std::min_element(gameMs.begin(), gameMs.end()), gameMs.front());
    std::printf("ratio game / floor              %8.3f (target at most 0.65)\n", game / floor);
    std::printf(
        "peak RSS %.1f MiB after the first load (%.1f MiB before it): PCM + %.1f MiB "
        "(budget PCM + 40 MiB)\n",
        peakAfterFirst, rssBefore, peakAfterFirst - pcm);
    return 0;
}
