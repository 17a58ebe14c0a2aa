#include "engine/audio_driver.h"

#include "engine/audio_sample.h"

namespace {

class TVectorSampleBuffer final : public TSampleBuffer {
  public:
    TVectorSampleBuffer(int frameCount, int rate, int sampleFormat)
        : TSampleBuffer(frameCount, rate, sampleFormat) {
        sample.hertz = rate;
        sample.format = sampleFormat;
        sample.length = frameCount;
        sample.samples.resize(static_cast<std::size_t>(frameCount) * sample.Channels());
        sample.capacity = sample.samples.size() * 2;
    }
    std::int16_t* Data() override { return sample.samples.data(); }
    TAudioSample sample;
};

}  // namespace

std::unique_ptr<TSound> TAudioDriver::LoadSound(const std::string& source, int flags) {
    std::unique_ptr<TAudioSample> sample = LoadAudioSample(source);
    if (!sample) return nullptr;
    return CreateSound(*sample, flags);
}

std::unique_ptr<TSound> TAudioDriver::LoadStream(const std::string& source, int flags) {
    return LoadSound(source, flags);
}

std::unique_ptr<TSampleBuffer> TAudioDriver::AllocSampleBuffer(int frames, int hertz, int format) {
    return std::make_unique<TVectorSampleBuffer>(frames, hertz, format);
}

std::unique_ptr<TSound> TAudioDriver::CreateSound(TSampleBuffer& buffer, int frames, int flags) {
    if (frames <= 0 || frames > buffer.frames) return nullptr;
    auto* own = dynamic_cast<TVectorSampleBuffer*>(&buffer);
    if (own && frames == buffer.frames) return CreateSound(own->sample, flags);
    TAudioSample sample;
    sample.hertz = buffer.hertz;
    sample.format = buffer.format;
    sample.length = frames;
    const std::size_t count = static_cast<std::size_t>(frames) * sample.Channels();
    sample.samples.assign(buffer.Data(), buffer.Data() + count);
    sample.capacity = count * 2;
    return CreateSound(sample, flags);
}
