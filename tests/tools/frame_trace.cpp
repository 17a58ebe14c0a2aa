// Plays the whole game headless with the stage replays (a life lost on the first stage, then all
// four stages won, then the ending) and prints a digest of every frame's draw calls and of every
// sound call: one line per 60 frames and per screen change, with the screen, the frame number and
// the running digest. Two builds that print the same lines drew the same frames, call for call
// and number for number, so their pictures are the same, and played the same sounds in the same
// order. Used to prove that a refactoring changed no frame:
//   frame_trace > before.txt ... frame_trace | diff before.txt -

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "engine/input.h"
#include "shell/screen_manager.h"
#include "support/audio_recording_driver.h"
#include "support/files.h"
#include "support/harness.h"
#include "support/replay.h"

namespace {

// FNV-1a over the bytes of every number of every call.
class Digest {
  public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) value_ = (value_ ^ bytes[i]) * 1099511628211ull;
    }
    template <typename T>
    void Add(const T& v) {
        Add(&v, sizeof v);
    }
    std::uint64_t Value() const { return value_; }

  private:
    std::uint64_t value_ = 14695981039346656037ull;
};

void AddCall(Digest& d, const DrawCall& c) {
    for (float v : {c.x0, c.y0, c.x1, c.y1, c.tx, c.ty, c.sx, c.sy, c.sw, c.sh, c.alpha, c.ix, c.iy,
                    c.jx, c.jy, c.originX, c.originY, c.resW, c.resH})
        d.Add(v);
    for (int v : {int(c.kind), c.r, c.g, c.b, c.blend, c.vpX, c.vpY, c.vpW, c.vpH, int(c.lastPixel),
                  int(c.xy.size())})
        d.Add(v);
    for (float v : c.xy) d.Add(v);
}

struct Trace {
    explicit Trace(Harness& harness) : h(harness) {}
    Harness& h;
    Digest digest;
    int frame = 0;
    std::string screen;
    std::size_t soundCalls = 0;
    // Sounds by the order they were first heard in, as their addresses differ from run to run.
    std::map<const TSound*, int> soundIndex;

    void AddSounds() {
        const AudioLog& calls = h.audio->Calls();
        for (; soundCalls < calls.size(); ++soundCalls) {
            const AudioCall& c = calls[soundCalls];
            digest.Add(c.op.data(), c.op.size());
            digest.Add(soundIndex.try_emplace(c.sound, int(soundIndex.size())).first->second);
            digest.Add(c.value);
        }
    }

    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            h.RunFrames(1);
            ++frame;
            for (const DrawCall& c : h.driver.calls) AddCall(digest, c);
            AddSounds();
            const std::string now = h.ActiveScreen();
            if (frame % 60 == 0 || now != screen)
                std::printf("%-22s %6d %016llx\n", now.c_str(), frame,
                            static_cast<unsigned long long>(digest.Value()));
            screen = now;
        }
    }
    void Tap(int key) {
        h.Press(key);
        Frames(1);
        h.Release(key);
        Frames(1);
    }
    void Stage(const std::string& replayFile) {
        Frames(40);
        Tap(vk::SPACE);
        Replay replay;
        std::string error;
        if (!ParseReplay(Slurp(replayFile), replay, error))
            std::printf("bad replay %s\n", error.c_str());
        TickKeys last;
        for (const TickKeys& keys : replay.Ticks()) {
            PostTickKeys(last, keys);
            last = keys;
            Frames(1);
        }
        PostTickKeys(last, {});
        for (int i = 0; i < 900 && h.ActiveScreen() == "screen_stage_play"; ++i) Frames(1);
    }
};

}  // namespace

int main() {
    HarnessOptions options;
    options.recordAudio = true;
    Harness h(options);
    const std::string replays = std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/replays/";
    Trace trace(h);
    screenManager->Show("screen_titlescreen");
    trace.Frames(2);
    trace.Tap(vk::ENTER);
    trace.Stage(replays + "stage-0-death.txt");
    for (int stage = 0; stage < 4; ++stage)
        trace.Stage(replays + "stage-" + std::to_string(stage) + ".txt");
    trace.Frames(40);
    trace.Tap(vk::SPACE);
    trace.Frames(10);
    std::printf("%-22s %6d %016llx\n", "end", trace.frame,
                static_cast<unsigned long long>(trace.digest.Value()));
    return 0;
}
