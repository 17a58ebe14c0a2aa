#pragma once
// The "OpenAL" audio driver: OpenAL Soft mixes every voice into its loopback device, and the mix
// is played on the desktop's default sound output through a TSoundOutput. A sound is one OpenAL
// buffer holding the whole decoded PCM, or, streamed, its compressed bytes decoded a piece at a
// time onto the queue of the source playing it; a channel is one OpenAL source. The mixer never
// goes away with the output, so an output that is lost, comes back or moves to another device keeps
// every sound, every volume and the music's place.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio_driver.h"
#include "engine/sound_output.h"

// OpenAL only mixes here, so it is told to set up none of its own outputs unless the player chose
// them (ALSOFT_DRIVERS): its first call would otherwise wait on a sound server that does not
// answer. Changes the environment: call on the main thread before other threads start; later
// calls change nothing.
void PrepareOpenAL();
// The driver heard on the desktop's default output, looked for about once a second while there
// is none (a sound server that starts after the game, a headset plugged in). Startup fails only
// when OpenAL's mixer itself cannot start.
std::unique_ptr<TAudioDriver> CreateOpenALDriver();
// The same heard on the given device, whose keeper is not given a thread: the test steps it
// through OpenALOutput instead.
std::unique_ptr<TAudioDriver> CreateOpenALDriver(std::unique_ptr<TOutputDevice> device);
// The output keeper of the current driver when it is OpenAL heard on an output; null otherwise.
TSoundOutput* OpenALOutput();

// A mixer the tests drive instead of an output: with a rate set, the driver mixes 16-bit sound
// (mono, or stereo with 2 channels) at that rate only when MixOpenAL asks, so a test moves the
// sound on by exact amounts instead of sleeping. 0 (the start value) is the real output. Takes
// effect when a driver next starts.
void UseOpenALLoopback(int hertz, int channels = 1);
// Mixes the next `milliseconds` of the tests' mixer, feeding the streams as an output would, and
// returns the samples (interleaved when stereo); empty when it is not in use.
std::vector<std::int16_t> MixOpenAL(int milliseconds);

// Reads back the PCM an OpenAL sound holds, to prove what was decoded into it; for a streamed
// sound, the whole of what it streams. False for another driver's sound, after its driver shut
// down, or when OpenAL cannot hand buffers back.
bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format);
