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

// PCM read a piece at a time from Ogg Vorbis bytes, round and round when it loops: what music
// plays from. A pass that turns out damaged (a hole in the stream, an error, or fewer frames than
// the stream announced) ends the sound there instead of looping it, so broken data gives at most
// one pass of sound, never a loop of noise. The bytes must outlive the stream.
class TOggStream {
  public:
    // False when the bytes are not a stream TOggDecoder takes; Why() then says why.
    bool Open(const std::uint8_t* data, std::size_t size, bool loop);
    const std::string& Why() const { return decoder_.Why(); }
    int Hertz() const { return decoder_.Hertz(); }
    int Format() const { return decoder_.Format(); }
    int Channels() const { return decoder_.Channels(); }
    // Up to maxFrames frames into out; fewer only once the sound has ended.
    std::size_t Read(std::int16_t* out, std::size_t maxFrames);
    bool Ended() const { return ended_; }
    // Why the sound ended early ("damaged", "cut short"); empty while it plays or after a whole
    // pass of a sound that does not loop.
    const std::string& Damage() const { return damage_; }
    // Seconds into the pass where the sound ended, for saying where it broke.
    double EndedAt() const;

  private:
    // The end of a pass: loop again, or end, whole or damaged.
    bool NextPass();
    TOggDecoder decoder_;
    bool loop_ = false;
    bool ended_ = true;
    std::string damage_;
    std::int64_t total_ = -1;
    std::int64_t passFrames_ = 0;
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
