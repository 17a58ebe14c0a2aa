#include "engine/openal_driver.h"
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_set>

#include "engine/audio_sample.h"
#include "engine/timing.h"

namespace {

// AL_SOFT_map_buffer lets a decoder write straight into a buffer's storage instead of handing
// OpenAL a copy. OpenAL Soft 1.19 has it as the experimental AL_SOFTX_map_buffer and its headers
// do not declare it, so the entry points are looked up and proved on a tiny buffer first.
using ALbitsSOFT = unsigned int;
using BufferStorageFn = void(AL_APIENTRY*)(ALuint, ALenum, const ALvoid*, ALsizei, ALsizei,
                                           ALbitsSOFT);
using MapBufferFn = void*(AL_APIENTRY*)(ALuint, ALsizei, ALsizei, ALbitsSOFT);
using UnmapBufferFn = void(AL_APIENTRY*)(ALuint);
constexpr ALbitsSOFT kMapRead = 0x1;
constexpr ALbitsSOFT kMapWrite = 0x2;

class TOpenALChannel;

// One open device with its context, and every AL object made on it. Sounds and channels hold it
// weakly: once the driver shuts down they find it gone and do nothing.
struct TALCore {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
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

    ~TALCore() { Close(); }
    bool Open() const { return device != nullptr; }
    bool CanMap() const { return mapBuffer != nullptr; }
    void ProbeMapping();
    ALuint AcquireSource();
    void ReleaseSource(ALuint source) { freeSources.push_back(source); }
    void Keep(const std::shared_ptr<TOpenALChannel>& channel);
    void Sweep();
    void Close();
};

struct TALBuffer;

// What outlives a device: every buffer and every channel waiting to be heard again. A lost
// output closes the core; when a device opens again its buffers are rebuilt from the PCM kept
// here and the looping sounds (the music) start again.
struct TALHome {
    // The open device, or null while there is none.
    std::shared_ptr<TALCore> core;
    std::vector<std::weak_ptr<TALBuffer>> buffers;
    std::vector<std::weak_ptr<TOpenALChannel>> waiting;

    // The core while it is open, else null.
    TALCore* Live() const { return core && core->Open() ? core.get() : nullptr; }
};

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
// no source has it attached. Its PCM is kept here while no device holds it (and always when the
// device cannot hand buffers back), so a device that comes back gets the same sound.
struct TALBuffer {
    TALBuffer(std::weak_ptr<TALHome> owner, int frameCount, int rate, int sampleFormat)
        : home(std::move(owner)), frames(frameCount), hertz(rate), format(sampleFormat) {}
    ~TALBuffer() { Drop(); }
    TALBuffer(const TALBuffer&) = delete;
    TALBuffer& operator=(const TALBuffer&) = delete;

    // Deletes the AL buffer, when the device that made it is still open.
    void Drop() {
        auto owner = home.lock();
        TALCore* core = owner ? owner->Live() : nullptr;
        if (id && core) {
            alDeleteBuffers(1, &id);
            core->buffers.erase(id);
        }
        id = 0;
    }
    // Puts the PCM into a new AL buffer on the open device; false when it cannot.
    bool Upload(TALCore& core, const std::int16_t* data);
    // Copies the PCM out of the device's buffer before the device goes.
    void Rescue(TALCore& core);

    std::weak_ptr<TALHome> home;
    // 0 while no device holds the sound.
    ALuint id = 0;
    const int frames;
    const int hertz;
    const int format;
    std::vector<std::int16_t> pcm;
};

// A buffer for frames x format, known to the home so a device that comes back rebuilds it.
std::shared_ptr<TALBuffer> NewBuffer(const std::shared_ptr<TALHome>& home, int frames, int hertz,
                                     int format) {
    auto buffer = std::make_shared<TALBuffer>(home, frames, hertz, format);
    std::erase_if(home->buffers, [](const std::weak_ptr<TALBuffer>& b) { return b.expired(); });
    home->buffers.push_back(buffer);
    return buffer;
}

bool TALBuffer::Upload(TALCore& core, const std::int16_t* data) {
    const long long bytes = PcmBytes(frames, format);
    if (bytes < 0) return false;
    alGetError();
    alGenBuffers(1, &id);
    if (alGetError() != AL_NO_ERROR) {
        id = 0;
        return false;
    }
    core.buffers.insert(id);
    if (core.bufferStorage)
        core.bufferStorage(id, AlFormat(format), data, static_cast<ALsizei>(bytes), hertz,
                           kMapRead);
    else
        alBufferData(id, AlFormat(format), data, static_cast<ALsizei>(bytes), hertz);
    return alGetError() == AL_NO_ERROR;
}

void TALBuffer::Rescue(TALCore& core) {
    if (!id || !pcm.empty() || !core.CanMap()) return;
    const long long bytes = PcmBytes(frames, format);
    alGetError();
    void* at = bytes > 0 ? core.mapBuffer(id, 0, static_cast<ALsizei>(bytes), kMapRead) : nullptr;
    if (!at || alGetError() != AL_NO_ERROR) return;
    pcm.assign(static_cast<const std::int16_t*>(at),
               static_cast<const std::int16_t*>(at) + bytes / 2);
    core.unmapBuffer(id);
}

// A sound holding a copy of pcm: in a buffer of the open device, and in memory too when there is
// none or it cannot hand the PCM back.
std::shared_ptr<TALBuffer> Upload(const std::shared_ptr<TALHome>& home, const std::int16_t* pcm,
                                  int frames, int hertz, int format) {
    const long long bytes = PcmBytes(frames, format);
    if (!home || bytes < 0) return nullptr;
    auto buffer = NewBuffer(home, frames, hertz, format);
    TALCore* core = home->Live();
    if (core && !buffer->Upload(*core, pcm)) return nullptr;
    if (!core || !core->CanMap()) buffer->pcm.assign(pcm, pcm + bytes / 2);
    return buffer;
}

class TOpenALChannel final : public TChannel, public std::enable_shared_from_this<TOpenALChannel> {
  public:
    explicit TOpenALChannel(std::weak_ptr<TALHome> home) : home_(std::move(home)) {}
    ~TOpenALChannel() override { Release(); }

    // Puts buffer on the channel from its start, playing or cued. Without a device a looping
    // sound waits for one; anything else is simply not heard.
    void Start(const std::shared_ptr<TALBuffer>& buffer, bool loop, bool paused);
    bool BelongsTo(const std::shared_ptr<TALHome>& home) const { return home_.lock() == home; }
    // The device is going: a looping sound that plays or is paused waits for the next one.
    void Orphan();
    // A device is back: a waiting sound starts again from its beginning.
    void Return();

    void Stop() override {
        waiting_ = false;
        Release();
    }
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
    TALCore* Core() const {
        auto home = home_.lock();
        return home ? home->Live() : nullptr;
    }
    // True when the channel has a source on an open device.
    bool Live() const { return source_ && Core(); }
    ALint State() const {
        ALint state = AL_INITIAL;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        return state;
    }
    void Apply() const;
    // Ends what plays and gives the source back.
    void Release();
    void Wait(bool paused);

    std::weak_ptr<TALHome> home_;
    ALuint source_ = 0;
    std::shared_ptr<TALBuffer> buffer_;
    bool loop_ = false;
    bool cued_ = false;
    // Paused by SetPaused since it was started.
    bool paused_ = false;
    // Waiting for a device to play buffer_ on, paused or not.
    bool waiting_ = false;
    bool waitingPaused_ = false;
    float volume_ = 1;
    float pan_ = 0;
    float depth_ = 0;
    float rate_ = 1;
};

void TOpenALChannel::Start(const std::shared_ptr<TALBuffer>& buffer, bool loop, bool paused) {
    Release();
    waiting_ = false;
    buffer_ = buffer;
    loop_ = loop;
    TALCore* core = Core();
    if (!core || !buffer->id) {
        if (loop) Wait(paused);
        if (!waiting_) buffer_.reset();
        return;
    }
    source_ = core->AcquireSource();
    // With every source in use the channel stays silent rather than cutting another sound off.
    if (!source_) {
        buffer_.reset();
        return;
    }
    alSourcei(source_, AL_BUFFER, static_cast<ALint>(buffer->id));
    alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    Apply();
    if (paused)
        cued_ = true;
    else
        alSourcePlay(source_);
    core->Keep(shared_from_this());
}

void TOpenALChannel::Wait(bool paused) {
    auto home = home_.lock();
    if (!home) return;
    waiting_ = true;
    waitingPaused_ = paused;
    std::erase_if(home->waiting,
                  [](const std::weak_ptr<TOpenALChannel>& c) { return c.expired(); });
    home->waiting.push_back(weak_from_this());
}

void TOpenALChannel::Orphan() {
    if (!source_) return;
    // The source goes with the device, which has stopped it already: a looping sound only ever
    // stops when told to, and then it has no source, so this one was still meant to be heard.
    source_ = 0;
    if (loop_)
        Wait(paused_ || cued_);
    else
        buffer_.reset();
    cued_ = false;
    paused_ = false;
}

void TOpenALChannel::Return() {
    if (!waiting_ || !buffer_) return;
    const std::shared_ptr<TALBuffer> buffer = buffer_;
    Start(buffer, loop_, waitingPaused_);
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
    if (waiting_) waitingPaused_ = paused;
    if (!Live()) return;
    const ALint state = State();
    if (paused) {
        if (state == AL_PLAYING) {
            alSourcePause(source_);
            paused_ = true;
        }
        return;
    }
    // A finished or stopped sound stays so: only a cued or paused one goes on.
    if (state == AL_PAUSED || (state == AL_INITIAL && cued_)) {
        cued_ = false;
        paused_ = false;
        alSourcePlay(source_);
    }
}

void TOpenALChannel::Release() {
    cued_ = false;
    paused_ = false;
    if (source_) {
        if (TALCore* core = Core()) {
            // Rewound rather than stopped: a source comes back from the pool in its initial
            // state, which is what a cue on it waits in.
            alSourceRewind(source_);
            alSourcei(source_, AL_BUFFER, 0);
            core->ReleaseSource(source_);
        }
        source_ = 0;
    }
    if (!waiting_) buffer_.reset();
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

void TALCore::Close() {
    if (!device) return;
    std::vector<std::shared_ptr<TOpenALChannel>> dying;
    dying.swap(live);
    dying.clear();
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

class TOpenALSound final : public TSound {
  public:
    TOpenALSound(std::shared_ptr<TALBuffer> buffer, int flags)
        : buffer_(std::move(buffer)), loop_((flags & SOUND_LOOP) != 0) {}
    std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) override {
        return Start(std::move(channel), false);
    }
    std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) override {
        return Start(std::move(channel), true);
    }
    const TALBuffer& Buffer() const { return *buffer_; }

  private:
    std::shared_ptr<TChannel> Start(std::shared_ptr<TChannel> channel, bool paused) {
        auto home = buffer_->home.lock();
        auto own = std::dynamic_pointer_cast<TOpenALChannel>(channel);
        if (!own || !own->BelongsTo(home)) own = std::make_shared<TOpenALChannel>(home);
        own->Start(buffer_, loop_, paused);
        return own;
    }
    std::shared_ptr<TALBuffer> buffer_;
    bool loop_;
};

// Decoder memory: the storage of an AL buffer mapped for writing, or a plain vector when the
// device cannot map or there is none.
class TALSampleBuffer final : public TSampleBuffer {
  public:
    TALSampleBuffer(std::shared_ptr<TALHome> home, int frameCount, int rate, int sampleFormat)
        : TSampleBuffer(frameCount, rate, sampleFormat), home_(std::move(home)) {
        const long long bytes = PcmBytes(frameCount, sampleFormat);
        core_ = home_->core;
        if (core_ && core_->CanMap() && bytes > 0) MapStorage(static_cast<ALsizei>(bytes));
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

    std::shared_ptr<TALHome> home_;
    // The device the storage was mapped on.
    std::shared_ptr<TALCore> core_;
    std::shared_ptr<TALBuffer> storage_;
    std::int16_t* mapped_ = nullptr;
    std::vector<std::int16_t> plain_;
    std::shared_ptr<TALBuffer> finished_;
};

void TALSampleBuffer::MapStorage(ALsizei bytes) {
    storage_ = NewBuffer(home_, frames, hertz, format);
    alGetError();
    alGenBuffers(1, &storage_->id);
    if (alGetError() != AL_NO_ERROR) {
        storage_->id = 0;
        storage_.reset();
        return;
    }
    core_->buffers.insert(storage_->id);
    const ALbitsSOFT access = kMapRead | kMapWrite;
    core_->bufferStorage(storage_->id, AlFormat(format), nullptr, bytes, hertz, access);
    void* at =
        alGetError() == AL_NO_ERROR ? core_->mapBuffer(storage_->id, 0, bytes, access) : nullptr;
    if (alGetError() == AL_NO_ERROR && at) {
        mapped_ = static_cast<std::int16_t*>(at);
        return;
    }
    storage_.reset();
}

std::shared_ptr<TALBuffer> TALSampleBuffer::Finish(int frames) {
    if (finished_ || frames <= 0 || frames > this->frames) return finished_;
    if (!mapped_) {
        finished_ = Upload(home_, plain_.data(), frames, hertz, format);
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
    finished_ = Upload(home_, decoded.data(), frames, hertz, format);
    return finished_;
}

class TOpenALDriver final : public TAudioDriver {
  public:
    explicit TOpenALDriver(std::string device) : device_(std::move(device)) {}
    ~TOpenALDriver() override { Shutdown(); }

    std::string Name() const override { return "OpenAL"; }
    bool Startup() override;
    void Shutdown() override {
        if (!home_) return;
        if (home_->core) home_->core->Close();
        home_.reset();
    }
    void Update() override;
    std::unique_ptr<TSound> CreateSound(const TAudioSample& sample, int flags) override {
        if (sample.length <= 0 ||
            sample.samples.size() < static_cast<std::size_t>(sample.length) * sample.Channels())
            return nullptr;
        auto buffer =
            Upload(home_, sample.samples.data(), sample.length, sample.hertz, sample.format);
        if (!buffer) return nullptr;
        return std::make_unique<TOpenALSound>(std::move(buffer), flags);
    }
    std::shared_ptr<TChannel> AllocChannel() override {
        return std::make_shared<TOpenALChannel>(home_);
    }
    std::unique_ptr<TSampleBuffer> AllocSampleBuffer(int frames, int hertz, int format) override {
        if (!home_) return TAudioDriver::AllocSampleBuffer(frames, hertz, format);
        return std::make_unique<TALSampleBuffer>(home_, frames, hertz, format);
    }
    std::unique_ptr<TSound> CreateSound(TSampleBuffer& buffer, int frames, int flags) override {
        auto* own = dynamic_cast<TALSampleBuffer*>(&buffer);
        if (!own) return TAudioDriver::CreateSound(buffer, frames, flags);
        auto finished = own->Finish(frames);
        if (!finished) return nullptr;
        return std::make_unique<TOpenALSound>(std::move(finished), flags);
    }

  private:
    // Opens the device and makes it the home's core; false when it will not open.
    bool Open();
    bool Connected() const;
    // The output went away: the PCM is saved from the device's buffers and the device closed.
    void Lose();
    // A device opened again: every buffer is rebuilt and the waiting sounds go on.
    void Return();

    std::string device_;
    std::shared_ptr<TALHome> home_;
    int lastCheck_ = 0;
};

namespace {
// While it lives, whatever is written to stderr goes nowhere. OpenAL, and the ALSA library it
// probes, print a screenful when there is no sound card; the game says that in one line of its
// own. Whoever asks for OpenAL's log (ALSOFT_LOGLEVEL) still gets all of it.
class QuietStderr {
  public:
    QuietStderr() {
        const char* level = std::getenv("ALSOFT_LOGLEVEL");
        if (level && *level) return;
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ < 0 || nothing < 0 || dup2(nothing, STDERR_FILENO) < 0) Restore();
        if (nothing >= 0) close(nothing);
    }
    ~QuietStderr() { Restore(); }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    int saved_ = -1;
};
}  // namespace

// The loopback device's rate while the tests drive the mixer; 0 for the real output.
int& LoopbackHertz() {
    static int hertz = 0;
    return hertz;
}

using LoopbackOpenFn = ALCdevice*(ALC_APIENTRY*)(const ALCchar*);
using RenderSamplesFn = void(ALC_APIENTRY*)(ALCdevice*, ALCvoid*, ALCsizei);

// The output device: the named or default one, or the loopback device the tests drive.
ALCdevice* OpenOutput(const std::string& name) {
    if (LoopbackHertz() <= 0) return alcOpenDevice(name.empty() ? nullptr : name.c_str());
    auto open =
        reinterpret_cast<LoopbackOpenFn>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    return open ? open(nullptr) : nullptr;
}

// Context attributes: the limiter where there is one, and a loopback device's output format.
std::vector<ALCint> ContextAttributes(ALCdevice* device) {
    std::vector<ALCint> attributes;
    // Three loud effects at once must not clip: OpenAL Soft's limiter, where it has one, pulls
    // the mix under full scale instead.
    if (alcIsExtensionPresent(device, "ALC_SOFT_output_limiter") == ALC_TRUE)
        attributes.insert(attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
    if (LoopbackHertz() > 0)
        attributes.insert(attributes.end(),
                          {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT,
                           ALC_SHORT_SOFT, ALC_FREQUENCY, LoopbackHertz()});
    attributes.push_back(0);
    return attributes;
}

// Once a second: often enough that sound is back soon after its device, rare enough that a
// device that will not open costs nothing.
constexpr int RETRY_MILLISECONDS = 1000;

bool TOpenALDriver::Open() {
    ++OpenALTestFaults().opens;
    if (OpenALTestFaults().refuseOpens > 0) {
        --OpenALTestFaults().refuseOpens;
        return false;
    }
    QuietStderr quiet;
    ALCdevice* device = OpenOutput(device_);
    if (!device) return false;
    ALCcontext* context = alcCreateContext(device, ContextAttributes(device).data());
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    auto core = std::make_shared<TALCore>();
    core->device = device;
    core->context = context;
    core->ProbeMapping();
    home_->core = std::move(core);
    return true;
}

bool TOpenALDriver::Startup() {
    if (home_) return true;
    home_ = std::make_shared<TALHome>();
    lastCheck_ = MilliSecs();
    if (Open()) return true;
    // A device asked for by name is that device or nothing; the default one may come later (a
    // sound server that starts after the game, a headset plugged in).
    if (!device_.empty()) {
        home_.reset();
        return false;
    }
    std::fprintf(stderr, "No sound output yet: trying again every second.\n");
    return true;
}

bool TOpenALDriver::Connected() const {
    if (OpenALTestFaults().disconnect) return false;
    ALCdevice* device = home_->core->device;
    if (!alcIsExtensionPresent(device, "ALC_EXT_disconnect")) return true;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected != ALC_FALSE;
}

void TOpenALDriver::Update() {
    // About once a second, and never more than one try a frame: a device that will not open
    // costs a frame nothing.
    const int now = MilliSecs();
    if (!home_ || (now - lastCheck_ < RETRY_MILLISECONDS && now >= lastCheck_)) return;
    lastCheck_ = now;
    if (home_->core && !Connected()) {
        Lose();
    } else if (!home_->core && Open()) {
        Return();
    }
}

void TOpenALDriver::Lose() {
    TALCore& core = *home_->core;
    // As a device that went away does; and a buffer a source still holds cannot be read back.
    for (ALuint source : core.sources) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
    }
    std::vector<std::shared_ptr<TOpenALChannel>> live;
    live.swap(core.live);
    for (const auto& channel : live) channel->Orphan();
    live.clear();
    std::erase_if(home_->buffers, [](const std::weak_ptr<TALBuffer>& b) { return b.expired(); });
    for (const auto& weak : home_->buffers) {
        auto buffer = weak.lock();
        buffer->Rescue(core);
        buffer->id = 0;
    }
    core.Close();
    home_->core.reset();
    std::fprintf(stderr, "Sound output lost: trying to open it again every second.\n");
}

void TOpenALDriver::Return() {
    TALCore& core = *home_->core;
    for (const auto& weak : home_->buffers) {
        auto buffer = weak.lock();
        if (!buffer || buffer->pcm.empty()) continue;
        // A device that hands buffers back keeps the only copy, once it has one.
        if (buffer->Upload(core, buffer->pcm.data()) && core.CanMap()) buffer->pcm = {};
    }
    std::vector<std::weak_ptr<TOpenALChannel>> waiting;
    waiting.swap(home_->waiting);
    for (const auto& weak : waiting)
        if (auto channel = weak.lock()) channel->Return();
    std::fprintf(stderr, "Sound output is back.\n");
}

}  // namespace

void UseOpenALLoopback(int hertz) {
    LoopbackHertz() = hertz > 0 ? hertz : 0;
}

std::vector<std::int16_t> MixOpenAL(int milliseconds) {
    ALCcontext* context = alcGetCurrentContext();
    ALCdevice* device = context ? alcGetContextsDevice(context) : nullptr;
    auto render =
        reinterpret_cast<RenderSamplesFn>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    if (!device || !render || LoopbackHertz() <= 0 || milliseconds <= 0) return {};
    std::vector<std::int16_t> pcm(std::size_t(std::int64_t{LoopbackHertz()} * milliseconds / 1000));
    render(device, pcm.data(), ALCsizei(pcm.size()));
    return pcm;
}

OpenALFaults& OpenALTestFaults() {
    static OpenALFaults faults;
    return faults;
}

std::unique_ptr<TAudioDriver> CreateOpenALDriver(const std::string& device) {
    return std::make_unique<TOpenALDriver>(device);
}

bool ReadOpenALSound(const TSound& sound, std::vector<std::int16_t>& pcm, int& hertz, int& format) {
    auto* own = dynamic_cast<const TOpenALSound*>(&sound);
    if (!own) return false;
    const TALBuffer& buffer = own->Buffer();
    auto home = buffer.home.lock();
    TALCore* core = home ? home->Live() : nullptr;
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
