#include "support/audio_recording_driver.h"

void RecordedChannel::Stop() {
    mode = Mode::STOPPED;
    log_->push_back({"stop", sound, this, 0});
}

void RecordedChannel::SetPaused(bool paused) {
    if (paused && mode == Mode::PLAYING) mode = Mode::PAUSED;
    if (!paused && (mode == Mode::PAUSED || mode == Mode::CUED)) mode = Mode::PLAYING;
    log_->push_back({paused ? "pause" : "resume", sound, this, 0});
}

void RecordedChannel::SetVolume(float value) {
    volume = value;
    log_->push_back({"volume", sound, this, value});
}

std::shared_ptr<TChannel> RecordedSound::Play(std::shared_ptr<TChannel> channel) {
    return Start(std::move(channel), false);
}

std::shared_ptr<TChannel> RecordedSound::Cue(std::shared_ptr<TChannel> channel) {
    return Start(std::move(channel), true);
}

std::shared_ptr<TChannel> RecordedSound::Start(std::shared_ptr<TChannel> channel, bool cued) {
    auto own = std::dynamic_pointer_cast<RecordedChannel>(channel);
    if (!own) own = std::make_shared<RecordedChannel>(log_);
    own->mode = cued ? RecordedChannel::Mode::CUED : RecordedChannel::Mode::PLAYING;
    own->sound = this;
    log_->push_back({cued ? "cue" : "play", this, own.get(), 0});
    return own;
}

std::unique_ptr<TSound> AudioRecordingDriver::CreateSound(const TAudioSample& sample, int flags) {
    ++soundsCreated;
    auto sound = std::make_unique<RecordedSound>(log_, "decoded", flags);
    sound->pcm = sample;
    return sound;
}

std::shared_ptr<TChannel> AudioRecordingDriver::AllocChannel() {
    return std::make_shared<RecordedChannel>(log_);
}

std::unique_ptr<TSound> AudioRecordingDriver::MakeSound(const std::string& name, int flags) {
    return std::make_unique<RecordedSound>(log_, name, flags);
}

AudioLog AudioRecordingDriver::Calls(const std::string& op) const {
    AudioLog out;
    for (const AudioCall& c : *log_)
        if (c.op == op) out.push_back(c);
    return out;
}

AudioRecordingDriver& InstallRecordingAudioDriver() {
    auto driver = std::make_unique<AudioRecordingDriver>();
    AudioRecordingDriver& ref = *driver;
    SetAudioDriver(std::move(driver));
    return ref;
}
