#include "support/audio_recording_driver.h"

#include "engine/stream.h"

namespace {
std::shared_ptr<RecordedChannel> NewChannel(const std::weak_ptr<AudioRecord>& record) {
    auto channel = std::make_shared<RecordedChannel>(record);
    if (auto r = record.lock()) r->channels.push_back(channel);
    return channel;
}
}  // namespace

void RecordedChannel::Log(const char* op, float value) {
    if (auto r = record_.lock()) r->Add({op, sound, this, value});
}

void RecordedChannel::Stop() {
    mode = Mode::STOPPED;
    Log("stop");
}

void RecordedChannel::SetPaused(bool paused) {
    if (paused && mode == Mode::PLAYING) mode = Mode::PAUSED;
    if (!paused && (mode == Mode::PAUSED || mode == Mode::CUED)) mode = Mode::PLAYING;
    Log(paused ? "pause" : "resume");
}

void RecordedChannel::SetVolume(float value) {
    volume = value;
    Log("volume", value);
}

std::shared_ptr<TChannel> RecordedSound::Play(std::shared_ptr<TChannel> channel) {
    return Start(std::move(channel), false);
}

std::shared_ptr<TChannel> RecordedSound::Cue(std::shared_ptr<TChannel> channel) {
    return Start(std::move(channel), true);
}

std::shared_ptr<TChannel> RecordedSound::Start(std::shared_ptr<TChannel> channel, bool cued) {
    auto own = std::dynamic_pointer_cast<RecordedChannel>(channel);
    if (!own) own = NewChannel(record_);
    own->mode = cued ? RecordedChannel::Mode::CUED : RecordedChannel::Mode::PLAYING;
    own->sound = this;
    own->Log(cued ? "cue" : "play");
    return own;
}

std::unique_ptr<TSound> AudioRecordingDriver::CreateSound(const TAudioSample& sample, int flags) {
    ++soundsCreated;
    auto sound = std::make_unique<RecordedSound>(record_, "decoded", flags);
    sound->pcm = sample;
    return sound;
}

std::unique_ptr<TSound> AudioRecordingDriver::LoadStream(const std::string& source, int flags) {
    TByteSource bytes;
    TOggDecoder decoder;
    if (!OpenBytes(source, bytes) || !decoder.Open(bytes.data, bytes.size)) return nullptr;
    return std::make_unique<RecordedSound>(record_, source, flags);
}

std::shared_ptr<TChannel> AudioRecordingDriver::AllocChannel() {
    return NewChannel(record_);
}

std::unique_ptr<TSound> AudioRecordingDriver::MakeSound(const std::string& name, int flags) {
    return std::make_unique<RecordedSound>(record_, name, flags);
}

AudioLog AudioRecordingDriver::Calls(const std::string& op) const {
    AudioLog out;
    for (const AudioCall& c : record_->calls)
        if (c.op == op) out.push_back(c);
    return out;
}

AudioRecordingDriver& InstallRecordingAudioDriver() {
    auto driver = std::make_unique<AudioRecordingDriver>();
    AudioRecordingDriver& ref = *driver;
    SetAudioDriver(std::move(driver));
    return ref;
}
