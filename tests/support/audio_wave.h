#pragma once
// Helpers for audio tests: the small Ogg files in tests/data, and OpenAL writing its mix to a
// wave file so tests can check what would have come out of the speakers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Path of a file in tests/data: "tone.ogg" (0.5 s of 440 Hz, mono 22050 Hz, half scale),
// "chord.ogg" (1 s, stereo 44100 Hz), "blip.ogg" (30 ms, mono 22050 Hz) or "noise.ogg" (1.5 s
// of stereo noise over several Ogg pages).
std::string AudioFixture(const std::string& name);
std::vector<std::uint8_t> ReadAudioFixture(const std::string& name);

// The rate of the captured mix (mono, 16-bit).
constexpr int kWaveHertz = 22050;

// Runs body with OpenAL mixing into a wave file instead of a device, then shuts the audio down
// and returns the mix. OpenAL reads its configuration once per process, so this only works in
// a process that has made no audio call yet: run it in a death-test child (threadsafe style).
// Empty when the wave output did not open.
std::vector<std::int16_t> CaptureWaveOutput(const std::function<void()>& body);

// The loudest sample of each window of windowMs milliseconds.
std::vector<int> WindowPeaks(const std::vector<std::int16_t>& pcm, int windowMs = 10);

// Ends a death-test child: exit code 0 when ok.
[[noreturn]] void ExitChild(bool ok);
