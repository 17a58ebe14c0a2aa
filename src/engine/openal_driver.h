#pragma once
// The "OpenAL" audio driver: OpenAL Soft mixes every voice into its loopback device, and the mix
// is played on the desktop's default sound output through a TSoundOutput. A sound is one OpenAL
// buffer holding the whole decoded PCM, a channel one OpenAL source. The mixer never goes away
// with the output, so an output that is lost, comes back or moves to another device keeps every
// sound, every volume and the music's place.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/sound_output.h"

// The driver heard on the desktop's default output, looked for about once a second while there
// is none (a sound server that starts after the game, a headset plugged in). Startup fails only
// when OpenAL's mixer itself cannot start.
std::unique_ptr<TAudioDriver> CreateOpenALDriver();
// The same heard on the given device, whose keeper is not given a thread: the test steps it
// through OpenALOutput instead.
std::unique_ptr<TAudioDriver> CreateOpenALDriver(std::unique_ptr<TOutputDevice> device);
// The output keeper of the current driver when it is OpenAL heard on an output; null otherwise.
TSoundOutput* OpenALOutput();

// A mixer the tests drive instead of an output: with a rate set, the driver mixes mono 16-bit at
// that rate only when MixOpenAL asks, so a test moves the sound on by exact amounts instead of
// sleeping. 0 (the start value) is the real output. Takes effect when a driver next starts.
void UseOpenALLoopback(int hertz);
// Mixes the next `milliseconds` of the tests' mixer and returns the samples; empty when it is not
// in use.
std::vector<std::int16_t> MixOpenAL(int milliseconds);

// Reads back the PCM an OpenAL sound holds, to prove what was decoded into it. False for another
// driver's sound, after its driver shut down, or when OpenAL cannot hand buffers back.
bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format);
