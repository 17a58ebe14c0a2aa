#include "engine/sound_output.h"

#include <dlfcn.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints a screenful of its configuration's complaints each time SDL probes it on a machine
// with no sound card; the keeper says what matters in one line of its own instead. SDL loads the
// library itself, so it is reached only once SDL has loaded it.
void QuietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(&IgnoreAlsaError);
    dlclose(alsa);
}

// SDL's audio, started afresh for every attempt: SDL connects to the sound server when its audio
// starts, so only a new start reaches a server that was not there before.
class TSDLOutputDevice final : public TOutputDevice {
  public:
    ~TSDLOutputDevice() override { Close(); }

    bool Open(int hertz, int channels, TMixPull pull) override {
        if (SDL_AudioInit(nullptr) != 0) return Fail();
        started_ = true;
        QuietAlsa();
        pull_ = std::move(pull);
        channels_ = channels;
        SDL_AudioSpec want{};
        want.freq = hertz;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(channels);
        // About 21 ms at 48 kHz: short enough for an effect to land with its picture, long
        // enough that a busy machine does not starve the device.
        want.samples = 1024;
        want.callback = &TSDLOutputDevice::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the device takes, so the mix keeps the
        // format it was made in even when the output changes under it.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!device_) return Fail();
        name_ = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "audio";
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }
    bool Alive() override {
        return device_ != 0 && SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED;
    }
    void Close() override {
        if (device_) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (started_) SDL_AudioQuit();
        started_ = false;
    }
    std::string Why() const override { return why_; }
    std::string Name() const override { return name_; }

  private:
    bool Fail() {
        why_ = SDL_GetError();
        if (why_.empty()) why_ = "no sound device answered";
        Close();
        return false;
    }
    static void SDLCALL Callback(void* self, Uint8* stream, int bytes) {
        auto* device = static_cast<TSDLOutputDevice*>(self);
        const int frames = bytes / (2 * device->channels_);
        device->pull_(reinterpret_cast<std::int16_t*>(stream), frames);
    }

    SDL_AudioDeviceID device_ = 0;
    bool started_ = false;
    int channels_ = 2;
    TMixPull pull_;
    std::string why_;
    std::string name_;
};

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<TOutputDevice> CreatePlatformOutputDevice() {
    return std::make_unique<TSDLOutputDevice>();
}

// Everything the keeper's thread touches. Shared with that thread, so a keeper left behind in an
// attempt that never returns still finds its state alive.
struct TSoundOutput::Keeper {
    std::unique_ptr<TOutputDevice> device;
    int hertz = 0;
    int channels = 0;
    std::atomic<State> state{State::Trying};

    // The mix: null once the owner is gone, and then the device hears silence.
    std::mutex mixLock;
    TMixPull pull;

    // Keeper-thread state.
    bool open = false;
    bool everHeard = false;
    // Whether the last line said the game is silent; the game's thread may say it first.
    std::atomic<bool> toldSilent{false};
    // When the thread started, for the patience with a first attempt.
    std::int64_t startedAt = 0;
    std::int64_t nextAttempt = 0;

    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    bool done = false;

    void Pull(std::int16_t* out, int frames) {
        std::lock_guard<std::mutex> hold(mixLock);
        if (pull)
            pull(out, frames);
        else
            std::memset(out, 0, static_cast<std::size_t>(frames) * channels * 2);
    }
    std::int64_t Step(std::int64_t now);
    bool Attempt();
    void Run();
};

bool TSoundOutput::Keeper::Attempt() {
    if (!device->Open(hertz, channels,
                      [this](std::int16_t* out, int frames) { Pull(out, frames); }))
        return false;
    open = true;
    state = State::Heard;
    if (toldSilent)
        std::fprintf(stderr, "Sound output %s, through %s.\n", everHeard ? "is back" : "found",
                     device->Name().c_str());
    everHeard = true;
    toldSilent = false;
    return true;
}

std::int64_t TSoundOutput::Keeper::Step(std::int64_t now) {
    if (open) {
        if (device->Alive()) return CHECK_MILLISECONDS;
        device->Close();
        open = false;
        state = State::Silent;
        std::fprintf(stderr,
                     "Sound output lost: playing silently and looking for it every second.\n");
        toldSilent = true;
        nextAttempt = now;  // a headset pulled out leaves another output: look at once
    }
    if (now < nextAttempt) return nextAttempt - now;
    if (Attempt()) return CHECK_MILLISECONDS;
    state = State::Silent;
    if (!toldSilent.exchange(true)) {
        std::fprintf(stderr,
                     "No sound output yet (%s): playing silently and looking for one every "
                     "second.\n",
                     device->Why().c_str());
    }
    nextAttempt = now + RETRY_MILLISECONDS;
    return RETRY_MILLISECONDS;
}

void TSoundOutput::Keeper::Run() {
    std::unique_lock<std::mutex> hold(lock);
    while (!stop) {
        hold.unlock();
        const std::int64_t wait = Step(SteadyMilliseconds());
        hold.lock();
        wake.wait_for(hold, std::chrono::milliseconds(wait), [this] { return stop; });
    }
    hold.unlock();
    if (open) device->Close();
    open = false;
    hold.lock();
    done = true;
    wake.notify_all();
}

TSoundOutput::TSoundOutput(std::unique_ptr<TOutputDevice> device, int hertz, int channels,
                           TMixPull pull)
    : keeper_(std::make_shared<Keeper>()) {
    keeper_->device = std::move(device);
    keeper_->hertz = hertz;
    keeper_->channels = channels;
    keeper_->pull = std::move(pull);
}

TSoundOutput::~TSoundOutput() {
    {
        std::lock_guard<std::mutex> hold(keeper_->mixLock);
        keeper_->pull = nullptr;
    }
    std::unique_lock<std::mutex> hold(keeper_->lock);
    keeper_->stop = true;
    keeper_->wake.notify_all();
    if (!thread_.joinable()) {
        hold.unlock();
        if (keeper_->open) keeper_->device->Close();
        keeper_->open = false;
        return;
    }
    // Long enough for any answering sound server to close the stream; a keeper stuck connecting
    // to one that never answers is left to finish by itself rather than keep the game from ending.
    const bool finished = keeper_->wake.wait_for(hold, std::chrono::milliseconds(100),
                                                 [this] { return keeper_->done; });
    hold.unlock();
    if (finished)
        thread_.join();
    else
        thread_.detach();
}

void TSoundOutput::Start() {
    if (thread_.joinable() || keeper_->stop) return;
    keeper_->startedAt = SteadyMilliseconds();
    thread_ = std::thread([keeper = keeper_] { keeper->Run(); });
}

TSoundOutput::State TSoundOutput::Now() {
    const State state = keeper_->state;
    if (state != State::Trying || !thread_.joinable() ||
        SteadyMilliseconds() - keeper_->startedAt < PATIENCE_MILLISECONDS)
        return state;
    if (!keeper_->toldSilent.exchange(true))
        std::fprintf(stderr,
                     "No sound output yet (the sound system has not answered for %d s): playing "
                     "silently until it does.\n",
                     PATIENCE_MILLISECONDS / 1000);
    return State::Silent;
}

std::int64_t TSoundOutput::Step(std::int64_t now) {
    return keeper_->Step(now);
}
