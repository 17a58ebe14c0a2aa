#pragma once
// Where the mix is heard: the desktop's default sound output, opened and kept open by a thread of
// its own. The mixer stays in the game; the output only pulls finished frames from it, so an
// output that goes away, comes back or moves to another device loses nothing of the mix.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Fills `frames` interleaved 16-bit frames of the output's channels. Called on the output's own
// audio thread, never on the game's.
using TMixPull = std::function<void(std::int16_t* out, int frames)>;

// One way of reaching a sound output: the platform's, or a test's stand-in.
class TOutputDevice {
  public:
    virtual ~TOutputDevice() = default;
    TOutputDevice() = default;
    TOutputDevice(const TOutputDevice&) = delete;
    TOutputDevice& operator=(const TOutputDevice&) = delete;

    // Opens the default output at hertz with that many channels, which calls pull from its own
    // thread from then on; false when none opens, with Why() saying what stood in the way. Each
    // attempt connects afresh, so a sound server that started since the last one is found.
    virtual bool Open(int hertz, int channels, TMixPull pull) = 0;
    // False once the open output has gone away for good (its sound server stopped, say).
    virtual bool Alive() = 0;
    // Closes the output; pull is not called again once this returns.
    virtual void Close() = 0;
    // What the last failed Open met ("no sound server", ...).
    virtual std::string Why() const = 0;
    // The system the output plays through ("pulseaudio", "alsa", ...).
    virtual std::string Name() const = 0;
};

// The platform's output: SDL's audio, on whatever system SDL_AUDIODRIVER or SDL's own order picks.
std::unique_ptr<TOutputDevice> CreatePlatformOutputDevice();

// Keeps the default output open for as long as it lives: opens it, notices when it goes away and
// looks for one again about once a second. Every device call happens on the keeper's own thread,
// so an output that takes long to answer never holds a frame up, and says so on stderr in one
// line each way (silent, heard again).
class TSoundOutput {
  public:
    enum class State {
        Trying,  // the first attempt is still under way
        Heard,   // a device is open and pulling the mix
        Silent,  // no device: nothing pulls the mix
    };
    // Mixes for pull at hertz with that many channels. Nothing is opened before Start.
    TSoundOutput(std::unique_ptr<TOutputDevice> device, int hertz, int channels, TMixPull pull);
    // Stops pulling at once and closes the device; waits only briefly for a keeper stuck in an
    // attempt (a sound server that never answers), which then finishes on its own.
    ~TSoundOutput();
    TSoundOutput(const TSoundOutput&) = delete;
    TSoundOutput& operator=(const TSoundOutput&) = delete;

    // Starts the keeper's thread; later calls do nothing. Called once the platform's video is up,
    // so the keeper's first library calls never race the window's.
    void Start();
    // The output's state as the game should treat it: a first attempt still under way after
    // PATIENCE_MILLISECONDS (a sound server that never answers) counts as silent, and is said
    // once on stderr.
    State Now();

    // One look of the keeper at the time now (milliseconds, any steady origin): opens, checks or
    // reopens the device as due. Returns the milliseconds until the next look is due. The
    // keeper's thread runs this; tests call it instead of starting the thread.
    std::int64_t Step(std::int64_t now);

    // Between two looks while a device is open, and between attempts while there is none.
    static constexpr int CHECK_MILLISECONDS = 100;
    static constexpr int RETRY_MILLISECONDS = 1000;
    static constexpr int PATIENCE_MILLISECONDS = 2000;

    struct Keeper;

  private:
    std::shared_ptr<Keeper> keeper_;
    // The keeper's thread once started; joined, or left behind when it is stuck in an attempt.
    std::thread thread_;
};
