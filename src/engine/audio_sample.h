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

// An Ogg Vorbis stream being decoded, for callers that choose where the PCM goes (several sounds
// decoded at once straight into their final memory). The bytes must outlive the decoder.
class TOggDecoder {
  public:
    TOggDecoder();
    ~TOggDecoder();
    TOggDecoder(const TOggDecoder&) = delete;
    TOggDecoder& operator=(const TOggDecoder&) = delete;

    // False when the data is not a mono or stereo Ogg Vorbis stream, or is a chained stream
    // whose links do not all share the first one's channels and rate; Why() then says which.
    bool Open(const std::uint8_t* data, std::size_t size);
    // Why the last Open failed; empty after one that succeeded.
    const std::string& Why() const;
    int Hertz() const;
    int Format() const;
    int Channels() const { return Format() == TAudioSample::SF_STEREO16LE ? 2 : 1; }
    // Frames the stream says it holds; -1 when it does not say.
    std::int64_t TotalFrames() const;
    // Decodes up to maxFrames frames into out; returns how many were written, 0 at the end.
    std::size_t Read(std::int16_t* out, std::size_t maxFrames);
    // Moves to a frame, exactly; false when the stream cannot.
    bool Seek(std::int64_t frame);
    // The frame the next Read starts at; -1 when unknown.
    std::int64_t Tell() const;
    // True once a read skipped a damaged part of the stream.
    bool Damaged() const;

  private:
    bool Refuse(const std::string& why);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Decodes a whole Ogg Vorbis stream (mono or stereo, one format throughout) to 16-bit PCM; null
// when the data is not such a stream, and then *why, when given, says what was wrong.
std::unique_ptr<TAudioSample> DecodeOggVorbis(const std::uint8_t* data, std::size_t size,
                                              std::string* why = nullptr);
// The same from an embedded-file URL or a path, with the reason for a refusal on stderr.
std::unique_ptr<TAudioSample> LoadAudioSample(const std::string& url);
// One stderr line naming a sound that did not load and why.
void ReportRefusedSound(const std::string& url, const std::string& why);

// Decodes a stream into one small scratch buffer and keeps nothing: the least work any decode
// of these bytes can do, for measuring the real loaders against. Returns the PCM bytes a full
// decode holds, or -1 when the data does not decode.
std::int64_t DecodeOggVorbisDiscarding(const std::uint8_t* data, std::size_t size);
