#pragma once
// The "OpenAL" audio driver: a sound is one OpenAL buffer holding the whole decoded PCM, a
// channel is one OpenAL source.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"

// The driver on the named output device, or on the system's default one when device is empty.
// Startup fails when the device or its context does not open.
std::unique_ptr<TAudioDriver> CreateOpenALDriver(const std::string& device = {});

// Reads back the PCM an OpenAL sound holds, to prove what was decoded into it. False for another
// driver's sound, after its device closed, or when the device cannot hand buffers back.
bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format);
