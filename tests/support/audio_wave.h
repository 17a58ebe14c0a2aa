#pragma once
// Helpers for audio tests: the small Ogg files in tests/data, and OpenAL mixing on a loopback
// device so tests can check what would have come out of the speakers.

#include <cstdint>
#include <string>
#include <vector>

// Path of a file in tests/data: "tone.ogg" (0.5 s of 440 Hz, mono 22050 Hz, half scale),
// "chord.ogg" (1 s, stereo 44100 Hz), "blip.ogg" (30 ms, mono 22050 Hz) or "noise.ogg" (1.5 s
// of stereo noise over several Ogg pages).
std::string AudioFixture(const std::string& name);
std::vector<std::uint8_t> ReadAudioFixture(const std::string& name);

// The rate of the loopback mix (mono, 16-bit).
constexpr int kWaveHertz = 22050;

// OpenAL mixing on its loopback device (mono, kWaveHertz) for the life of the object, driven by
// the test: sound moves on only in MixFor, by exactly that much, and `pcm` keeps all of it. Works
// in any process, with no configuration file.
class LoopbackMix {
  public:
    LoopbackMix();
    ~LoopbackMix();
    LoopbackMix(const LoopbackMix&) = delete;
    LoopbackMix& operator=(const LoopbackMix&) = delete;
    // Mixes the next ms milliseconds onto pcm; false when no loopback device is open.
    bool MixFor(int ms);
    std::vector<std::int16_t> pcm;
};

// The loudest sample of each window of windowMs milliseconds.
std::vector<int> WindowPeaks(const std::vector<std::int16_t>& pcm, int windowMs = 10);

// Ends a death-test child: exit code 0 when ok.
[[noreturn]] void ExitChild(bool ok);
