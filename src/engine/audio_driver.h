#pragma once
// What an audio driver is: its sounds, its channels and the memory decoders fill for it. Every
// call comes from the main thread; the mixing runs inside the driver.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TAudioSample;

// Sound flags.
constexpr int SOUND_LOOP = 1;  // the whole sound repeats until stopped

// One voice.
class TChannel {
  public:
    virtual ~TChannel() = default;
    TChannel() = default;
    TChannel(const TChannel&) = delete;
    TChannel& operator=(const TChannel&) = delete;

    // Ends the sound; resuming afterwards does not bring it back.
    virtual void Stop() = 0;
    // Holds or continues the sound at its position; continuing a cued channel starts it.
    virtual void SetPaused(bool paused) = 0;
    // 0 silent .. 1 full.
    virtual void SetVolume(float volume) = 0;
    // -1 left .. 1 right.
    virtual void SetPan(float pan) = 0;
    // -1 in front .. 1 behind.
    virtual void SetDepth(float depth) = 0;
    // Playback speed, 1 as recorded.
    virtual void SetRate(float rate) = 0;
    // True while the sound is audible: not when idle, cued, paused, stopped or finished.
    virtual bool Playing() = 0;
};

// A fully decoded sound the driver can play any number of times.
class TSound {
  public:
    virtual ~TSound() = default;
    TSound() = default;
    TSound(const TSound&) = delete;
    TSound& operator=(const TSound&) = delete;

    // Starts the sound from its beginning on channel (stopping what it played), or on a new
    // channel when channel is null or belongs to another driver. Returns the channel used.
    virtual std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) = 0;
    // Like Play, but the channel stays paused until it is resumed.
    virtual std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) = 0;
    // Same as LoadSound.
    static std::unique_ptr<TSound> Load(const std::string& source, int flags);
};

// PCM memory that a decoder fills in place, so a sound is never decoded into one buffer and
// then copied into the driver's. It may be written from any thread.
class TSampleBuffer {
  public:
    TSampleBuffer(int frameCount, int rate, int sampleFormat)
        : frames(frameCount), hertz(rate), format(sampleFormat) {}
    virtual ~TSampleBuffer() = default;
    TSampleBuffer(const TSampleBuffer&) = delete;
    TSampleBuffer& operator=(const TSampleBuffer&) = delete;
    // Room for frames x channels samples.
    virtual std::int16_t* Data() = 0;
    const int frames;
    const int hertz;
    const int format;
};

class TAudioDriver {
  public:
    virtual ~TAudioDriver() = default;
    TAudioDriver() = default;
    TAudioDriver(const TAudioDriver&) = delete;
    TAudioDriver& operator=(const TAudioDriver&) = delete;

    // The driver's name ("OpenAL", "Null", ...).
    virtual std::string Name() const = 0;
    // Opens the output; false when it cannot, and the driver is then not used.
    virtual bool Startup() = 0;
    // Closes the output. Sounds and channels made earlier stay safe to use and go quiet.
    virtual void Shutdown() = 0;
    // Called once a frame: the driver may look after its output here (notice it is gone, open it
    // again). Must never hold the frame up.
    virtual void Update() {}
    // A playable sound of the sample's PCM (flags: SOUND_LOOP or 0); null on failure.
    virtual std::unique_ptr<TSound> CreateSound(const TAudioSample& sample, int flags) = 0;
    // An idle channel that reports not playing.
    virtual std::shared_ptr<TChannel> AllocChannel() = 0;
    // Decodes the source completely and makes a sound of it; null when the data does not decode.
    virtual std::unique_ptr<TSound> LoadSound(const std::string& source, int flags);
    // A sound played straight from its compressed source, decoded a little ahead while it plays
    // instead of held decoded (the music); null when the source does not decode. The default
    // decodes it whole, as LoadSound.
    virtual std::unique_ptr<TSound> LoadStream(const std::string& source, int flags);

    // Memory for a sound's PCM, filled by the caller before CreateSound takes it. The default
    // keeps it in an ordinary sample.
    virtual std::unique_ptr<TSampleBuffer> AllocSampleBuffer(int frames, int hertz, int format);
    // A sound over the first frames of a filled buffer (a stream can end early). Called again on
    // the same buffer it makes a second sound that shares the PCM.
    virtual std::unique_ptr<TSound> CreateSound(TSampleBuffer& buffer, int frames, int flags);
};
