#pragma once
// The "OpenAL" audio driver: a sound is one OpenAL buffer holding the whole decoded PCM, a
// channel is one OpenAL source.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"

// The driver on the named output device, or on the system's default one when device is empty.
// Startup fails when a named device or its context does not open; without a default device the
// driver starts silent and keeps trying. A default device that goes away (a headset unplugged, the
// sound server restarted) is noticed and opened again about once a second by Update, with every
// sound rebuilt and the looping ones (the music) started again.
std::unique_ptr<TAudioDriver> CreateOpenALDriver(const std::string& device = {});

// Faults the tests put into the driver in place of a real device going and coming back.
struct OpenALFaults {
    // The open device reads as disconnected.
    bool disconnect = false;
    // This many attempts to open a device fail before they may succeed again.
    int refuseOpens = 0;
    // Attempts to open a device so far.
    int opens = 0;
};
// The faults the next device calls will meet, and the count of opens (tests).
OpenALFaults& OpenALTestFaults();

// A mixer the tests drive instead of a sound card: with a rate set, the driver opens OpenAL Soft's
// loopback device (mono, 16-bit, at that rate), which mixes only when MixOpenAL asks, so a test
// moves the sound on by exact amounts instead of sleeping. 0 (the start value) is the real
// output. Takes effect when the driver next opens a device.
void UseOpenALLoopback(int hertz);
// Mixes the next `milliseconds` of output on the open loopback device and returns the samples;
// empty when no loopback device is open.
std::vector<std::int16_t> MixOpenAL(int milliseconds);

// Reads back the PCM an OpenAL sound holds, to prove what was decoded into it. False for another
// driver's sound, after its device closed, or when the device cannot hand buffers back.
bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format);
