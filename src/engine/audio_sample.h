#pragma once
// Decoded PCM and the Ogg Vorbis loader.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TAudioSample {
public:
    static constexpr int SF_MONO16LE = 1;
    static constexpr int SF_STEREO16LE = 2;

    std::vector<std::int16_t> samples;  // interleaved, frames x channels
    int length = 0;                     // frames
    int hertz = 0;
    int format = 0;
    std::size_t capacity = 0;  // bytes of PCM
    int Channels() const { return format == SF_STEREO16LE ? 2 : 1; }
};

// Decodes a whole Ogg Vorbis stream (mono or stereo) to 16-bit PCM; null when the data is not a
// decodable Ogg Vorbis stream.
std::unique_ptr<TAudioSample> DecodeOggVorbis(const std::uint8_t* data, std::size_t size);
std::unique_ptr<TAudioSample> LoadAudioSample(const std::string& url);
