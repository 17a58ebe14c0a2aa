#pragma once
// An audio driver that plays nothing and keeps every call, so the sound manager's choices can be
// checked exactly. Its channels keep the state a real voice would have; its sounds never end.

#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/audio_sample.h"

struct AudioCall {
    // "play", "cue", "stop", "pause", "resume" or "volume".
    std::string op;
    const TSound* sound = nullptr;
    const TChannel* channel = nullptr;
    float value = 0;
};
using AudioLog = std::vector<AudioCall>;

class RecordedChannel;

// What the driver saw, owned by the driver; its sounds and channels hold it weakly and stop
// recording once the driver is gone.
struct AudioRecord {
    AudioLog calls;
    // Every channel made, kept alive as a mixer keeps its voices, so a test can still look at a
    // channel the sound manager let go of.
    std::vector<std::shared_ptr<RecordedChannel>> channels;
    void Add(AudioCall call) { calls.push_back(std::move(call)); }
};

class RecordedChannel : public TChannel {
  public:
    enum class Mode { IDLE, CUED, PLAYING, PAUSED, STOPPED };
    explicit RecordedChannel(std::weak_ptr<AudioRecord> record) : record_(std::move(record)) {}
    void Stop() override;
    void SetPaused(bool paused) override;
    void SetVolume(float volume) override;
    void SetPan(float) override {}
    void SetDepth(float) override {}
    void SetRate(float) override {}
    bool Playing() override { return mode == Mode::PLAYING; }

    Mode mode = Mode::IDLE;
    const TSound* sound = nullptr;
    float volume = 1;

  private:
    friend class RecordedSound;
    void Log(const char* op, float value = 0);
    std::weak_ptr<AudioRecord> record_;
};

class RecordedSound : public TSound {
  public:
    RecordedSound(std::weak_ptr<AudioRecord> record, std::string soundName, int soundFlags)
        : name(std::move(soundName)), flags(soundFlags), record_(std::move(record)) {}
    std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) override;
    std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) override;

    std::string name;
    int flags;
    // What the sound was made from, when it was made from decoded data.
    TAudioSample pcm;

  private:
    std::shared_ptr<TChannel> Start(std::shared_ptr<TChannel> channel, bool cued);
    std::weak_ptr<AudioRecord> record_;
};

class AudioRecordingDriver : public TAudioDriver {
  public:
    std::string Name() const override { return "Recording"; }
    bool Startup() override { return true; }
    void Shutdown() override {}
    std::unique_ptr<TSound> CreateSound(const TAudioSample& sample, int flags) override;
    using TAudioDriver::CreateSound;
    std::shared_ptr<TChannel> AllocChannel() override;
    // A sound named after its source, which only has to open: nothing is decoded.
    std::unique_ptr<TSound> LoadStream(const std::string& source, int flags) override;

    // A sound that needs no data, for tests of what gets played when.
    std::unique_ptr<TSound> MakeSound(const std::string& name, int flags = 0);
    // The calls so far, all or those of one kind.
    const AudioLog& Calls() const { return record_->calls; }
    AudioLog Calls(const std::string& op) const;
    void Clear() { record_->calls.clear(); }
    int soundsCreated = 0;

  private:
    std::shared_ptr<AudioRecord> record_ = std::make_shared<AudioRecord>();
};

// Installs a recording driver as the current audio driver and returns it (owned by the audio
// layer until it is replaced or shut down).
AudioRecordingDriver& InstallRecordingAudioDriver();
