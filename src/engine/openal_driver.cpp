#include "engine/openal_driver.h"

#include <stdlib.h>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "engine/audio_sample.h"
#include "engine/stream.h"

namespace {

// AL_SOFT_map_buffer lets a decoder write straight into a buffer's storage instead of handing
// OpenAL a copy. OpenAL Soft 1.19 has it as the experimental AL_SOFTX_map_buffer and its headers
// do not declare it, so the entry points are looked up and proved on a tiny buffer first.
using ALbitsSOFT = unsigned int;
using BufferStorageFn = void(AL_APIENTRY*)(ALuint, ALenum, const ALvoid*, ALsizei, ALsizei,
                                           ALbitsSOFT);
using MapBufferFn = void*(AL_APIENTRY*)(ALuint, ALsizei, ALsizei, ALbitsSOFT);
using UnmapBufferFn = void(AL_APIENTRY*)(ALuint);
using LoopbackOpenFn = ALCdevice*(ALC_APIENTRY*)(const ALCchar*);
using RenderSamplesFn = void(ALC_APIENTRY*)(ALCdevice*, ALCvoid*, ALCsizei);
constexpr ALbitsSOFT kMapRead = 0x1;
constexpr ALbitsSOFT kMapWrite = 0x2;

// The mix the desktop hears: stereo at the rate desktop sound servers run at, so that most of
// them take it as it is.
constexpr int kOutputHertz = 48000;
constexpr int kOutputChannels = 2;

class TOpenALChannel;
struct TALStream;

// The mixer with its context, and every AL object made on it. Sounds and channels hold it weakly:
// once the driver shuts down they find it gone and do nothing.
struct TALCore {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    RenderSamplesFn render = nullptr;
    BufferStorageFn bufferStorage = nullptr;
    MapBufferFn mapBuffer = nullptr;
    UnmapBufferFn unmapBuffer = nullptr;
    std::vector<ALuint> sources;
    std::vector<ALuint> freeSources;
    std::unordered_set<ALuint> buffers;
    // Channels that were started. A fire-and-forget effect is held only here, so it plays to its
    // end; once nobody else holds a channel and it is not playing, it can never be heard again
    // and its source goes back to the pool.
    std::vector<std::shared_ptr<TOpenALChannel>> live;
    // Set while nothing hears the mix: effects are dropped instead of piling up for the output's
    // return, while the music waits in its place.
    bool dropEffects = false;
    // The streams being played, fed by whichever thread mixes (the output's) and started and
    // stopped by the game's. No AL call is made while the game's thread holds the lock.
    std::mutex streamLock;
    std::vector<std::shared_ptr<TALStream>> streams;

    ~TALCore() { Close(); }
    bool Open() const { return device != nullptr; }
    bool CanMap() const { return mapBuffer != nullptr; }
    void ProbeMapping();
    ALuint AcquireSource();
    void ReleaseSource(ALuint source) { freeSources.push_back(source); }
    void Keep(const std::shared_ptr<TOpenALChannel>& channel);
    void Sweep();
    void DropEffects();
    // Feeds every stream, then mixes `frames` frames into out. Called by the output's thread.
    void Mix(std::int16_t* out, int frames);
    void Close();
};

// The core while it is open, else null.
TALCore* LiveCore(const std::weak_ptr<TALCore>& weak) {
    auto core = weak.lock();
    return core && core->Open() ? core.get() : nullptr;
}

ALenum AlFormat(int format) {
    return format == TAudioSample::SF_STEREO16LE ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

int ChannelsOf(int format) {
    return format == TAudioSample::SF_STEREO16LE ? 2 : 1;
}

// Bytes of frames x format, or -1 when OpenAL cannot take that many.
long long PcmBytes(int frames, int format) {
    long long bytes = static_cast<long long>(frames) * ChannelsOf(format) * 2;
    return frames > 0 && bytes <= INT_MAX ? bytes : -1;
}

// Owns one AL buffer; sounds and the channels playing them share it, so it is deleted only when
// no source has it attached.
struct TALBuffer {
    TALBuffer(std::weak_ptr<TALCore> owner, int frameCount, int rate, int sampleFormat)
        : core(std::move(owner)), frames(frameCount), hertz(rate), format(sampleFormat) {}
    ~TALBuffer() {
        TALCore* live = LiveCore(core);
        if (id && live) {
            alDeleteBuffers(1, &id);
            live->buffers.erase(id);
        }
    }
    TALBuffer(const TALBuffer&) = delete;
    TALBuffer& operator=(const TALBuffer&) = delete;

    // A new, empty AL buffer on the core; false when OpenAL has none to give.
    bool Generate(TALCore& live) {
        alGetError();
        alGenBuffers(1, &id);
        if (alGetError() != AL_NO_ERROR) {
            id = 0;
            return false;
        }
        live.buffers.insert(id);
        return true;
    }

    std::weak_ptr<TALCore> core;
    ALuint id = 0;
    const int frames;
    const int hertz;
    const int format;
};

// A sound holding a copy of pcm in a buffer of the open mixer; null when there is none.
std::shared_ptr<TALBuffer> Upload(const std::shared_ptr<TALCore>& core, const std::int16_t* pcm,
                                  int frames, int hertz, int format) {
    const long long bytes = PcmBytes(frames, format);
    if (!core || !core->Open() || bytes < 0) return nullptr;
    auto buffer = std::make_shared<TALBuffer>(core, frames, hertz, format);
    if (!buffer->Generate(*core)) return nullptr;
    if (core->bufferStorage)
        core->bufferStorage(buffer->id, AlFormat(format), pcm, static_cast<ALsizei>(bytes), hertz,
                            kMapRead);
    else
        alBufferData(buffer->id, AlFormat(format), pcm, static_cast<ALsizei>(bytes), hertz);
    return alGetError() == AL_NO_ERROR ? buffer : nullptr;
}

// A stream keeps this many buffers of this many frames queued on its source: about 0.37 s of
// 44.1 kHz sound ahead of the mixer, which takes about 21 ms a turn and feeds it every turn.
constexpr int kStreamBuffers = 4;
constexpr std::size_t kStreamFrames = 4096;

// What a streamed sound plays from: its compressed bytes, shared by every channel playing it.
struct TALStreamSource {
    std::string name;
    TByteSource bytes;
    bool loop = false;
};

// One stream on a source: its reader and the AL buffers it cycles through the source's queue.
struct TALStream {
    std::shared_ptr<const TALStreamSource> from;
    TOggStream reader;
    ALuint source = 0;
    std::array<ALuint, kStreamBuffers> buffers{};
    // Buffers not queued on the source: at the start, and once played.
    std::vector<ALuint> idle;
    std::vector<std::int16_t> scratch;

    // Decodes the next piece into an idle buffer and queues it; false when nothing more comes.
    bool QueueOne();
    // Takes back what the source has played and queues as much again; starts the source again
    // if it ran dry meanwhile. Called under the core's stream lock.
    void Feed();
};

bool TALStream::QueueOne() {
    if (idle.empty() || reader.Ended()) return false;
    scratch.resize(kStreamFrames * static_cast<std::size_t>(reader.Channels()));
    const std::size_t frames = reader.Read(scratch.data(), kStreamFrames);
    if (reader.Ended() && !reader.Damage().empty())
        std::fprintf(stderr, "The music \"%s\" is %s %.1f s in: it stops there.\n",
                     from->name.c_str(), reader.Damage().c_str(), reader.EndedAt());
    if (frames == 0) return false;
    const ALuint buffer = idle.back();
    alBufferData(buffer, AlFormat(reader.Format()), scratch.data(),
                 static_cast<ALsizei>(frames * static_cast<std::size_t>(reader.Channels()) * 2),
                 reader.Hertz());
    alSourceQueueBuffers(source, 1, &buffer);
    idle.pop_back();
    return true;
}

void TALStream::Feed() {
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        idle.push_back(buffer);
    }
    while (QueueOne()) {
    }
    ALint state = AL_STOPPED, queued = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    // A source that played its whole queue before it was fed stops; it was meant to go on.
    if (state == AL_STOPPED && queued > 0) alSourcePlay(source);
}

class TOpenALChannel final : public TChannel, public std::enable_shared_from_this<TOpenALChannel> {
  public:
    explicit TOpenALChannel(std::weak_ptr<TALCore> core) : core_(std::move(core)) {}
    ~TOpenALChannel() override { Release(); }

    // Puts buffer on the channel from its start, playing or cued.
    void Start(const std::shared_ptr<TALBuffer>& buffer, bool loop, bool paused);
    // Puts a stream of the source on the channel from its start, playing or cued.
    void StartStream(const std::shared_ptr<const TALStreamSource>& from, bool paused);
    bool BelongsTo(const std::shared_ptr<TALCore>& core) const { return core_.lock() == core; }
    bool Loops() const { return loop_; }

    void Stop() override { Release(); }
    void SetPaused(bool paused) override;
    void SetVolume(float volume) override {
        volume_ = std::max(0.0f, volume);
        if (Live()) alSourcef(source_, AL_GAIN, volume_);
    }
    void SetPan(float pan) override {
        pan_ = std::clamp(pan, -1.0f, 1.0f);
        if (Live()) alSource3f(source_, AL_POSITION, pan_, 0.0f, depth_);
    }
    void SetDepth(float depth) override {
        depth_ = std::clamp(depth, -1.0f, 1.0f);
        if (Live()) alSource3f(source_, AL_POSITION, pan_, 0.0f, depth_);
    }
    void SetRate(float rate) override {
        rate_ = std::max(0.01f, rate);
        if (Live()) alSourcef(source_, AL_PITCH, rate_);
    }
    bool Playing() override { return Live() && State() == AL_PLAYING; }

  private:
    // True when the channel has a source on an open mixer.
    bool Live() const { return source_ && LiveCore(core_); }
    ALint State() const {
        ALint state = AL_INITIAL;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        return state;
    }
    void Apply() const;
    // Ends what plays and gives the source back.
    void Release();

    std::weak_ptr<TALCore> core_;
    ALuint source_ = 0;
    std::shared_ptr<TALBuffer> buffer_;
    std::shared_ptr<TALStream> stream_;
    bool loop_ = false;
    bool cued_ = false;
    float volume_ = 1;
    float pan_ = 0;
    float depth_ = 0;
    float rate_ = 1;
};

void TOpenALChannel::Start(const std::shared_ptr<TALBuffer>& buffer, bool loop, bool paused) {
    Release();
    loop_ = loop;
    TALCore* core = LiveCore(core_);
    // Nobody hears an effect now, and one kept for later would come late: it is dropped. A
    // looping sound (the music) waits in the mixer for the output.
    if (!core || !buffer->id || (core->dropEffects && !loop)) return;
    source_ = core->AcquireSource();
    // With every source in use the channel stays silent rather than cutting another sound off.
    if (!source_) return;
    buffer_ = buffer;
    alSourcei(source_, AL_BUFFER, static_cast<ALint>(buffer->id));
    alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    Apply();
    if (paused)
        cued_ = true;
    else
        alSourcePlay(source_);
    core->Keep(shared_from_this());
}

void TOpenALChannel::StartStream(const std::shared_ptr<const TALStreamSource>& from, bool paused) {
    Release();
    loop_ = from->loop;
    TALCore* core = LiveCore(core_);
    if (!core || (core->dropEffects && !loop_)) return;
    auto stream = std::make_shared<TALStream>();
    stream->from = from;
    if (!stream->reader.Open(from->bytes.data, from->bytes.size, from->loop)) return;
    source_ = core->AcquireSource();
    if (!source_) return;
    alGetError();
    alGenBuffers(kStreamBuffers, stream->buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        core->ReleaseSource(source_);
        source_ = 0;
        return;
    }
    stream->source = source_;
    stream->idle.assign(stream->buffers.begin(), stream->buffers.end());
    alSourcei(source_, AL_LOOPING, AL_FALSE);
    Apply();
    // One piece now, so the channel plays at once; the mixer's thread decodes the rest.
    stream->QueueOne();
    if (paused)
        cued_ = true;
    else
        alSourcePlay(source_);
    stream_ = stream;
    {
        std::lock_guard<std::mutex> hold(core->streamLock);
        core->streams.push_back(std::move(stream));
    }
    core->Keep(shared_from_this());
}

void TOpenALChannel::Apply() const {
    // A flat mix: the listener hears every voice at its gain, wherever it sits.
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
    alSource3f(source_, AL_POSITION, pan_, 0.0f, depth_);
    alSourcef(source_, AL_GAIN, volume_);
    alSourcef(source_, AL_PITCH, rate_);
}

void TOpenALChannel::SetPaused(bool paused) {
    if (!Live()) return;
    const ALint state = State();
    if (paused) {
        if (state == AL_PLAYING) alSourcePause(source_);
        return;
    }
    // A finished or stopped sound stays so: only a cued or paused one goes on.
    if (state == AL_PAUSED || (state == AL_INITIAL && cued_)) {
        cued_ = false;
        alSourcePlay(source_);
    }
}

void TOpenALChannel::Release() {
    cued_ = false;
    TALCore* core = LiveCore(core_);
    if (source_ && core) {
        // Off the mixer's thread first, so nothing feeds the source while it is emptied.
        if (stream_) {
            std::lock_guard<std::mutex> hold(core->streamLock);
            std::erase(core->streams, stream_);
        }
        // Rewound rather than stopped: a source comes back from the pool in its initial state,
        // which is what a cue on it waits in.
        alSourceRewind(source_);
        alSourcei(source_, AL_BUFFER, 0);
        core->ReleaseSource(source_);
    }
    source_ = 0;
    if (stream_ && core) alDeleteBuffers(kStreamBuffers, stream_->buffers.data());
    stream_.reset();
    buffer_.reset();
}

void TALCore::ProbeMapping() {
    if (!alIsExtensionPresent("AL_SOFT_map_buffer") && !alIsExtensionPresent("AL_SOFTX_map_buffer"))
        return;
    auto storage = reinterpret_cast<BufferStorageFn>(alGetProcAddress("alBufferStorageSOFT"));
    auto map = reinterpret_cast<MapBufferFn>(alGetProcAddress("alMapBufferSOFT"));
    auto unmap = reinterpret_cast<UnmapBufferFn>(alGetProcAddress("alUnmapBufferSOFT"));
    if (!storage || !map || !unmap) return;
    const std::int16_t probe[2] = {1234, -1234};
    ALuint id = 0;
    alGetError();
    alGenBuffers(1, &id);
    if (alGetError() != AL_NO_ERROR) return;
    storage(id, AL_FORMAT_MONO16, probe, sizeof probe, 22050, kMapRead | kMapWrite);
    void* at =
        alGetError() == AL_NO_ERROR ? map(id, 0, sizeof probe, kMapRead | kMapWrite) : nullptr;
    const bool works =
        at && alGetError() == AL_NO_ERROR && std::memcmp(at, probe, sizeof probe) == 0;
    if (at) unmap(id);
    alDeleteBuffers(1, &id);
    alGetError();
    if (!works) return;
    bufferStorage = storage;
    mapBuffer = map;
    unmapBuffer = unmap;
}

ALuint TALCore::AcquireSource() {
    Sweep();
    if (!freeSources.empty()) {
        ALuint id = freeSources.back();
        freeSources.pop_back();
        return id;
    }
    ALuint id = 0;
    alGetError();
    alGenSources(1, &id);
    if (alGetError() != AL_NO_ERROR) return 0;
    sources.push_back(id);
    return id;
}

void TALCore::Keep(const std::shared_ptr<TOpenALChannel>& channel) {
    if (std::find(live.begin(), live.end(), channel) == live.end()) live.push_back(channel);
}

void TALCore::Sweep() {
    // Erasing runs the channels' destructors, which hand their sources back to freeSources.
    std::erase_if(live, [](const std::shared_ptr<TOpenALChannel>& c) {
        return c.use_count() == 1 && !c->Playing();
    });
}

void TALCore::DropEffects() {
    std::vector<std::shared_ptr<TOpenALChannel>> channels = live;
    for (const auto& channel : channels)
        if (!channel->Loops()) channel->Stop();
    Sweep();
}

void TALCore::Mix(std::int16_t* out, int frames) {
    {
        std::lock_guard<std::mutex> hold(streamLock);
        for (const auto& stream : streams) stream->Feed();
    }
    render(device, out, frames);
}

void TALCore::Close() {
    if (!device) return;
    std::vector<std::shared_ptr<TOpenALChannel>> dying;
    dying.swap(live);
    dying.clear();
    {
        std::lock_guard<std::mutex> hold(streamLock);
        streams.clear();
    }
    for (ALuint s : sources) {
        alSourceStop(s);
        alSourcei(s, AL_BUFFER, 0);
    }
    if (!sources.empty()) alDeleteSources(static_cast<ALsizei>(sources.size()), sources.data());
    for (ALuint b : buffers) alDeleteBuffers(1, &b);
    sources.clear();
    freeSources.clear();
    buffers.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
}

// What the two kinds of OpenAL sound share: a channel of the sound's own mixer to start on, the
// one handed over when it is one, else a new one.
class TOpenALSoundBase : public TSound {
  public:
    std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) override {
        return Start(std::move(channel), false);
    }
    std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) override {
        return Start(std::move(channel), true);
    }

  protected:
    // The mixer the sound was made on; expired once its driver shut down.
    virtual std::shared_ptr<TALCore> Core() const = 0;
    // Puts the sound on the channel from its start, playing or cued.
    virtual void StartOn(TOpenALChannel& channel, bool paused) const = 0;

  private:
    std::shared_ptr<TChannel> Start(std::shared_ptr<TChannel> channel, bool paused) {
        auto core = Core();
        auto own = std::dynamic_pointer_cast<TOpenALChannel>(channel);
        if (!own || !own->BelongsTo(core)) own = std::make_shared<TOpenALChannel>(core);
        StartOn(*own, paused);
        return own;
    }
};

class TOpenALSound final : public TOpenALSoundBase {
  public:
    TOpenALSound(std::shared_ptr<TALBuffer> buffer, int flags)
        : buffer_(std::move(buffer)), loop_((flags & SOUND_LOOP) != 0) {}
    const TALBuffer& Buffer() const { return *buffer_; }

  protected:
    std::shared_ptr<TALCore> Core() const override { return buffer_->core.lock(); }
    void StartOn(TOpenALChannel& channel, bool paused) const override {
        channel.Start(buffer_, loop_, paused);
    }

  private:
    std::shared_ptr<TALBuffer> buffer_;
    bool loop_;
};

class TOpenALStreamSound final : public TOpenALSoundBase {
  public:
    TOpenALStreamSound(std::weak_ptr<TALCore> core, std::shared_ptr<const TALStreamSource> from)
        : core_(std::move(core)), from_(std::move(from)) {}
    const TALStreamSource& From() const { return *from_; }

  protected:
    std::shared_ptr<TALCore> Core() const override { return core_.lock(); }
    void StartOn(TOpenALChannel& channel, bool paused) const override {
        channel.StartStream(from_, paused);
    }

  private:
    std::weak_ptr<TALCore> core_;
    std::shared_ptr<const TALStreamSource> from_;
};

// Decoder memory: the storage of an AL buffer mapped for writing, or a plain vector when OpenAL
// cannot map.
class TALSampleBuffer final : public TSampleBuffer {
  public:
    TALSampleBuffer(std::shared_ptr<TALCore> core, int frameCount, int rate, int sampleFormat)
        : TSampleBuffer(frameCount, rate, sampleFormat), core_(std::move(core)) {
        const long long bytes = PcmBytes(frameCount, sampleFormat);
        if (core_->CanMap() && bytes > 0) MapStorage(static_cast<ALsizei>(bytes));
        if (!mapped_)
            plain_.resize(static_cast<std::size_t>(frameCount) * ChannelsOf(sampleFormat));
    }
    ~TALSampleBuffer() override { Unmap(); }
    std::int16_t* Data() override { return mapped_ ? mapped_ : plain_.data(); }

    // The finished AL buffer holding the first frames; every later call hands out the same one.
    std::shared_ptr<TALBuffer> Finish(int frames);

  private:
    void MapStorage(ALsizei bytes);
    void Unmap() {
        if (mapped_ && core_->Open()) core_->unmapBuffer(storage_->id);
        mapped_ = nullptr;
    }

    std::shared_ptr<TALCore> core_;
    std::shared_ptr<TALBuffer> storage_;
    std::int16_t* mapped_ = nullptr;
    std::vector<std::int16_t> plain_;
    std::shared_ptr<TALBuffer> finished_;
};

void TALSampleBuffer::MapStorage(ALsizei bytes) {
    auto storage = std::make_shared<TALBuffer>(core_, frames, hertz, format);
    if (!storage->Generate(*core_)) return;
    const ALbitsSOFT access = kMapRead | kMapWrite;
    core_->bufferStorage(storage->id, AlFormat(format), nullptr, bytes, hertz, access);
    void* at =
        alGetError() == AL_NO_ERROR ? core_->mapBuffer(storage->id, 0, bytes, access) : nullptr;
    if (alGetError() != AL_NO_ERROR || !at) return;
    mapped_ = static_cast<std::int16_t*>(at);
    storage_ = std::move(storage);
}

std::shared_ptr<TALBuffer> TALSampleBuffer::Finish(int frames) {
    if (finished_ || frames <= 0 || frames > this->frames) return finished_;
    if (!mapped_) {
        finished_ = Upload(core_, plain_.data(), frames, hertz, format);
        plain_ = {};
        return finished_;
    }
    if (frames == this->frames && core_->Open()) {
        Unmap();
        finished_ = storage_;
        return finished_;
    }
    // The stream ended before the length it announced: keep exactly what was decoded.
    std::vector<std::int16_t> decoded(
        mapped_, mapped_ + static_cast<std::size_t>(frames) * ChannelsOf(format));
    Unmap();
    storage_.reset();
    finished_ = Upload(core_, decoded.data(), frames, hertz, format);
    return finished_;
}

// The tests' mixer rate while they drive it; 0 for the real output.
int& LoopbackHertz() {
    static int hertz = 0;
    return hertz;
}

int& LoopbackChannels() {
    static int channels = 1;
    return channels;
}

// The current driver's mixer, for the tests' MixOpenAL and ReadOpenALSound.
std::weak_ptr<TALCore>& CurrentCore() {
    static std::weak_ptr<TALCore> core;
    return core;
}

TSoundOutput*& CurrentOutput() {
    static TSoundOutput* output = nullptr;
    return output;
}

// Context attributes: the output limiter where there is one, and the mix's format.
std::vector<ALCint> ContextAttributes(ALCdevice* device, int hertz, bool stereo) {
    std::vector<ALCint> attributes;
    // Three loud effects at once must not clip: OpenAL Soft's limiter, where it has one, pulls
    // the mix under full scale instead.
    if (alcIsExtensionPresent(device, "ALC_SOFT_output_limiter") == ALC_TRUE)
        attributes.insert(attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
    // OpenAL keeps 256 voices ready, each with room for its effect sends: the game uses no
    // effects, and asking for none saves a megabyte.
    attributes.insert(attributes.end(), {ALC_MAX_AUXILIARY_SENDS, 0});
    attributes.insert(attributes.end(),
                      {ALC_FORMAT_CHANNELS_SOFT, stereo ? ALC_STEREO_SOFT : ALC_MONO_SOFT,
                       ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT, ALC_FREQUENCY, hertz, 0});
    return attributes;
}

// OpenAL's mixer on its loopback device, which mixes only when asked; null when OpenAL has none.
std::shared_ptr<TALCore> OpenMixer(int hertz, bool stereo) {
    auto open =
        reinterpret_cast<LoopbackOpenFn>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    ALCdevice* device = open ? open(nullptr) : nullptr;
    if (!device) return nullptr;
    auto render =
        reinterpret_cast<RenderSamplesFn>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    ALCcontext* context =
        render ? alcCreateContext(device, ContextAttributes(device, hertz, stereo).data())
               : nullptr;
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    auto core = std::make_shared<TALCore>();
    core->device = device;
    core->context = context;
    core->render = render;
    core->ProbeMapping();
    return core;
}

class TOpenALDriver final : public TAudioDriver {
  public:
    TOpenALDriver(std::unique_ptr<TOutputDevice> device, bool keeperThread)
        : device_(std::move(device)), keeperThread_(keeperThread) {}
    ~TOpenALDriver() override { Shutdown(); }

    std::string Name() const override { return "OpenAL"; }
    bool Startup() override;
    void Shutdown() override;
    void Update() override;
    std::unique_ptr<TSound> CreateSound(const TAudioSample& sample, int flags) override {
        if (sample.length <= 0 ||
            sample.samples.size() < static_cast<std::size_t>(sample.length) * sample.Channels())
            return nullptr;
        auto buffer =
            Upload(core_, sample.samples.data(), sample.length, sample.hertz, sample.format);
        if (!buffer) return nullptr;
        return std::make_unique<TOpenALSound>(std::move(buffer), flags);
    }
    std::shared_ptr<TChannel> AllocChannel() override {
        return std::make_shared<TOpenALChannel>(core_);
    }
    std::unique_ptr<TSampleBuffer> AllocSampleBuffer(int frames, int hertz, int format) override {
        if (!core_) return TAudioDriver::AllocSampleBuffer(frames, hertz, format);
        return std::make_unique<TALSampleBuffer>(core_, frames, hertz, format);
    }
    std::unique_ptr<TSound> LoadStream(const std::string& source, int flags) override;
    std::unique_ptr<TSound> CreateSound(TSampleBuffer& buffer, int frames, int flags) override {
        auto* own = dynamic_cast<TALSampleBuffer*>(&buffer);
        if (!own) return TAudioDriver::CreateSound(buffer, frames, flags);
        auto finished = own->Finish(frames);
        if (!finished) return nullptr;
        return std::make_unique<TOpenALSound>(std::move(finished), flags);
    }

  private:
    std::unique_ptr<TOutputDevice> device_;
    bool keeperThread_;
    std::shared_ptr<TALCore> core_;
    std::unique_ptr<TSoundOutput> output_;
};

std::unique_ptr<TSound> TOpenALDriver::LoadStream(const std::string& source, int flags) {
    auto from = std::make_shared<TALStreamSource>();
    from->name = source;
    from->loop = (flags & SOUND_LOOP) != 0;
    if (!core_ || !OpenBytes(source, from->bytes)) return nullptr;
    TOggDecoder probe;
    if (!probe.Open(from->bytes.data, from->bytes.size)) {
        ReportRefusedSound(source, probe.Why());
        return nullptr;
    }
    return std::make_unique<TOpenALStreamSound>(core_, std::move(from));
}

bool TOpenALDriver::Startup() {
    if (core_) return true;
    const bool tests = LoopbackHertz() > 0;
    core_ = tests ? OpenMixer(LoopbackHertz(), LoopbackChannels() == 2)
                  : OpenMixer(kOutputHertz, kOutputChannels == 2);
    if (!core_) return false;
    CurrentCore() = core_;
    if (tests) return true;
    if (!device_) device_ = CreatePlatformOutputDevice();
    TALCore* mixer = core_.get();
    output_ = std::make_unique<TSoundOutput>(
        std::move(device_), kOutputHertz, kOutputChannels,
        [mixer](std::int16_t* out, int frames) { mixer->Mix(out, frames); });
    CurrentOutput() = output_.get();
    return true;
}

void TOpenALDriver::Shutdown() {
    // The output stops pulling before the mixer it pulls from goes.
    if (CurrentOutput() == output_.get()) CurrentOutput() = nullptr;
    output_.reset();
    if (core_) core_->Close();
    core_.reset();
}

void TOpenALDriver::Update() {
    if (!output_) return;
    if (keeperThread_) output_->Start();
    const bool silent = output_->Now() == TSoundOutput::State::Silent;
    if (silent && !core_->dropEffects) core_->DropEffects();
    core_->dropEffects = silent;
}

}  // namespace

void UseOpenALLoopback(int hertz, int channels) {
    LoopbackHertz() = hertz > 0 ? hertz : 0;
    LoopbackChannels() = channels == 2 ? 2 : 1;
}

std::vector<std::int16_t> MixOpenAL(int milliseconds) {
    auto core = CurrentCore().lock();
    if (!core || !core->Open() || LoopbackHertz() <= 0 || milliseconds <= 0) return {};
    const std::size_t channels = static_cast<std::size_t>(LoopbackChannels());
    const std::size_t frames = std::size_t(std::int64_t{LoopbackHertz()} * milliseconds / 1000);
    std::vector<std::int16_t> pcm(frames * channels);
    // In turns of 10 ms at most, as an output pulls, so the streams are fed as they would be.
    const std::size_t turn = static_cast<std::size_t>(LoopbackHertz()) / 100;
    for (std::size_t at = 0; at < frames; at += turn)
        core->Mix(pcm.data() + at * channels, static_cast<int>(std::min(turn, frames - at)));
    return pcm;
}

void PrepareOpenAL() {
    // OpenAL sets every back-end it is allowed up on its first call, and its PulseAudio one waits
    // there for the server, for as long as one that does not answer takes.
    setenv("ALSOFT_DRIVERS", "null", 0);
}

std::unique_ptr<TAudioDriver> CreateOpenALDriver() {
    PrepareOpenAL();
    return std::make_unique<TOpenALDriver>(nullptr, true);
}

std::unique_ptr<TAudioDriver> CreateOpenALDriver(std::unique_ptr<TOutputDevice> device) {
    PrepareOpenAL();
    return std::make_unique<TOpenALDriver>(std::move(device), false);
}

TSoundOutput* OpenALOutput() {
    return CurrentOutput();
}

bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format) {
    if (auto* stream = dynamic_cast<const TOpenALStreamSound*>(&sound)) {
        auto sample = DecodeOggVorbis(stream->From().bytes.data, stream->From().bytes.size);
        if (!sample) return false;
        pcm = std::move(sample->samples);
        hertz = sample->hertz;
        format = sample->format;
        return true;
    }
    auto* own = dynamic_cast<const TOpenALSound*>(&sound);
    if (!own) return false;
    const TALBuffer& buffer = own->Buffer();
    TALCore* core = LiveCore(buffer.core);
    if (!core || !core->CanMap() || !buffer.id) return false;
    ALint size = 0, rate = 0, channels = 0;
    alGetBufferi(buffer.id, AL_SIZE, &size);
    alGetBufferi(buffer.id, AL_FREQUENCY, &rate);
    alGetBufferi(buffer.id, AL_CHANNELS, &channels);
    alGetError();
    void* at = core->mapBuffer(buffer.id, 0, size, kMapRead);
    if (!at || alGetError() != AL_NO_ERROR) return false;
    pcm.resize(static_cast<std::size_t>(size) / 2);
    std::memcpy(pcm.data(), at, pcm.size() * 2);
    core->unmapBuffer(buffer.id);
    hertz = rate;
    format = channels == 2 ? TAudioSample::SF_STEREO16LE : TAudioSample::SF_MONO16LE;
    return true;
}
