// What the OpenAL driver really mixes, captured through OpenAL Soft's wave-file output. Each
// test runs in a fresh process because OpenAL takes its configuration from the first call.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "engine/audio.h"
#include "support/audio_wave.h"

namespace {

using namespace std::chrono_literals;

// Louder than any rounding, far below the half-scale tone.
constexpr int kLoud = 1000;

struct Shape {
    int firstLoud = -1;
    int loud = 0;
    int longestGap = 0;  // silent windows between the first and the last loud one
    int loudBeforeGap = 0;
};

Shape Measure(const std::vector<int>& peaks) {
    Shape s;
    int gap = 0;
    int loudSoFar = 0;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        if (peaks[i] < kLoud) {
            if (s.firstLoud >= 0) ++gap;
            continue;
        }
        if (s.firstLoud < 0) s.firstLoud = static_cast<int>(i);
        if (gap > s.longestGap) {
            s.longestGap = gap;
            s.loudBeforeGap = loudSoFar;
        }
        gap = 0;
        ++s.loud;
        ++loudSoFar;
    }
    std::fprintf(stderr, "windows %zu first loud %d loud %d longest gap %d loud before it %d\n",
                 peaks.size(), s.firstLoud, s.loud, s.longestGap, s.loudBeforeGap);
    return s;
}

bool Near(int value, int want, int slack) {
    return value >= want - slack && value <= want + slack;
}

[[noreturn]] void CueThenResume() {
    auto peaks = WindowPeaks(CaptureWaveOutput([] {
        auto tone = LoadSound(AudioFixture("tone.ogg"));
        auto channel = CueSound(tone.get());
        std::this_thread::sleep_for(300ms);
        ResumeChannel(channel.get());
        std::this_thread::sleep_for(700ms);
    }));
    Shape s = Measure(peaks);
    // Silent for the 300 ms before the resume, then the whole 500 ms tone.
    ExitChild(s.firstLoud >= 25 && Near(s.loud, 50, 8));
}

TEST(AudioWave, CuedChannelIsSilentUntilResumed) {
    EXPECT_EXIT(CueThenResume(), ::testing::ExitedWithCode(0), "");
}

[[noreturn]] void PauseMidway() {
    auto peaks = WindowPeaks(CaptureWaveOutput([] {
        auto tone = LoadSound(AudioFixture("tone.ogg"));
        auto channel = PlaySound(tone.get());
        std::this_thread::sleep_for(200ms);
        PauseChannel(channel.get());
        std::this_thread::sleep_for(300ms);
        ResumeChannel(channel.get());
        std::this_thread::sleep_for(600ms);
    }));
    Shape s = Measure(peaks);
    // 200 ms of tone, 300 ms of nothing, the other 300 ms: no part lost or heard twice.
    ExitChild(Near(s.loud, 50, 8) && Near(s.longestGap, 30, 10) && Near(s.loudBeforeGap, 20, 8));
}

TEST(AudioWave, PauseKeepsThePosition) {
    EXPECT_EXIT(PauseMidway(), ::testing::ExitedWithCode(0), "");
}

[[noreturn]] void PlayAndLetGo() {
    auto peaks = WindowPeaks(CaptureWaveOutput([] {
        auto tone = LoadSound(AudioFixture("tone.ogg"));
        PlaySound(tone.get());
        std::this_thread::sleep_for(800ms);
    }));
    ExitChild(Near(Measure(peaks).loud, 50, 8));
}

TEST(AudioWave, AnEffectNobodyHoldsPlaysToItsEnd) {
    EXPECT_EXIT(PlayAndLetGo(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
