// What the OpenAL driver really mixes, rendered on OpenAL Soft's loopback device: the tests move
// the mixer on by exact amounts, so what they hear does not depend on how busy the machine is.

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/audio.h"
#include "support/audio_wave.h"

namespace {

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

TEST(AudioWave, CuedChannelIsSilentUntilResumed) {
    LoopbackMix mix;
    auto tone = LoadSound(AudioFixture("tone.ogg"));
    auto channel = CueSound(tone.get());
    ASSERT_TRUE(mix.MixFor(300));
    ResumeChannel(channel.get());
    mix.MixFor(700);
    Shape s = Measure(WindowPeaks(mix.pcm));
    // Silent for the 300 ms before the resume, then the whole 500 ms tone.
    EXPECT_TRUE(Near(s.firstLoud, 30, 1));
    EXPECT_TRUE(Near(s.loud, 50, 1));
}

TEST(AudioWave, PauseKeepsThePosition) {
    LoopbackMix mix;
    auto tone = LoadSound(AudioFixture("tone.ogg"));
    auto channel = PlaySound(tone.get());
    ASSERT_TRUE(mix.MixFor(200));
    PauseChannel(channel.get());
    mix.MixFor(300);
    ResumeChannel(channel.get());
    mix.MixFor(600);
    Shape s = Measure(WindowPeaks(mix.pcm));
    // 200 ms of tone, 300 ms of nothing, the other 300 ms: no part lost or heard twice (the
    // windows the pause and the resume fall in hold a little of both).
    EXPECT_TRUE(Near(s.loud, 50, 2));
    EXPECT_TRUE(Near(s.longestGap, 30, 1));
    EXPECT_TRUE(Near(s.loudBeforeGap, 20, 1));
}

TEST(AudioWave, AnEffectNobodyHoldsPlaysToItsEnd) {
    LoopbackMix mix;
    auto tone = LoadSound(AudioFixture("tone.ogg"));
    PlaySound(tone.get());
    ASSERT_TRUE(mix.MixFor(800));
    EXPECT_TRUE(Near(Measure(WindowPeaks(mix.pcm)).loud, 50, 1));
}

}  // namespace
