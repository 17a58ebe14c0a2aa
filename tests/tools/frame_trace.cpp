// Plays the whole game headless with the stage replays (a life lost on the first stage, then all
// four stages won, then the ending) and prints a digest of every frame's draw calls and of every
// sound call: one line per 60 frames and per screen change, with the screen, the frame number and
// the running digest. Two builds that print the same lines drew the same frames, call for call
// and number for number, so their pictures are the same, and played the same sounds in the same
// order. Used to prove that a refactoring changed no frame:
//   frame_trace                 prints the digest lines (frame_trace | diff before.txt -)
//   frame_trace --write DIR     writes them to DIR/frames.txt, and every frame's calls to
//                               DIR/frame_calls.txt (support/frame_listing.h)
//   frame_trace --check DIR     plays and compares with both; the first frame that differs is
//                               shown call by call, as listed and as made

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "engine/input.h"
#include "shell/screen_manager.h"
#include "support/audio_recording_driver.h"
#include "support/files.h"
#include "support/frame_listing.h"
#include "support/harness.h"
#include "support/replay.h"

namespace {

const char kListingHead[] =
    "# Every frame of the whole-game trace with its draw and sound calls, each frame as its\n"
    "# changes from the one before (tests/support/frame_listing.h). Written with frames.txt by\n"
    "# frame_trace --write tests/data, never by hand.\n";

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

// Every number as four bytes; the points of a polygon after their count.
void AddNumber(Digest& d, float v) {
    d.Add(v);
}
void AddNumber(Digest& d, int v) {
    d.Add(v);
}
void AddNumber(Digest& d, bool v) {
    d.Add(int(v));
}
void AddNumber(Digest& d, DrawCall::Kind v) {
    d.Add(int(v));
}
void AddNumber(Digest& d, const std::vector<float>& v) {
    d.Add(int(v.size()));
    for (float x : v) d.Add(x);
}

void AddCall(Digest& d, const DrawCall& c) {
    ForEachField([&](const char*, const auto& v) { AddNumber(d, v); }, c);
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
    // The digest lines so far.
    std::string lines;
    // Given every frame when writing the listing; compared with every frame when checking.
    FrameListingWriter* writer = nullptr;
    FrameListingReader* reader = nullptr;
    // The first frame that differs from the reader's listing, described; empty while none has.
    std::string difference;

    std::vector<TracedSound> AddSounds() {
        std::vector<TracedSound> sounds;
        const AudioLog& calls = h.audio->Calls();
        for (; soundCalls < calls.size(); ++soundCalls) {
            const AudioCall& c = calls[soundCalls];
            const int index = soundIndex.try_emplace(c.sound, int(soundIndex.size())).first->second;
            digest.Add(c.op.data(), c.op.size());
            digest.Add(index);
            digest.Add(c.value);
            sounds.push_back({c.op, index, c.value});
        }
        return sounds;
    }

    void Line(const std::string& name) {
        char line[80];
        std::snprintf(line, sizeof line, "%-22s %6d %016llx\n", name.c_str(), frame,
                      static_cast<unsigned long long>(digest.Value()));
        lines += line;
    }

    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            h.RunFrames(1);
            ++frame;
            for (const DrawCall& c : h.driver.calls) AddCall(digest, c);
            std::vector<TracedSound> sounds = AddSounds();
            const std::string now = h.ActiveScreen();
            if (frame % 60 == 0 || now != screen) Line(now);
            screen = now;
            if (writer) writer->Add({frame, digest.Value(), h.driver.calls, sounds});
            if (reader && difference.empty()) Compare(sounds);
        }
    }

    void Compare(const std::vector<TracedSound>& sounds) {
        const bool listed = reader->Next();
        const TracedFrame& expected = reader->Frame();
        if (listed && expected.number == frame && expected.digest == digest.Value()) return;
        difference = "frame " + std::to_string(frame) + " (" + screen + ")";
        if (!listed) {
            difference +=
                " is not listed: " +
                (reader->Error().empty() ? "the listing ends before it" : reader->Error()) + "\n";
            return;
        }
        difference += " is the first that differs from the listing";
        if (expected.number != frame)
            difference += ", which has frame " + std::to_string(expected.number) + " in its place";
        const std::string calls =
            DescribeFrameDifference(expected, {frame, digest.Value(), h.driver.calls, sounds});
        difference += calls.empty() ? ": its calls are as listed but its digest is not, so the "
                                      "listing was written by another trace\n"
                                    : ":\n" + calls;
    }

    // After the last frame: a listing that goes on differs too.
    void Finish() {
        if (reader && difference.empty() && reader->Next())
            difference = "the game ended at frame " + std::to_string(frame) +
                         ", but the listing goes on to frame " +
                         std::to_string(reader->Frame().number) + "\n";
        Line("end");
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
        if (!ParseReplay(Slurp(replayFile), replay, error)) lines += "bad replay " + error + "\n";
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

void PlayWholeGame(Trace& trace) {
    const std::string replays = std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/replays/";
    screenManager->Show("screen_titlescreen");
    trace.Frames(2);
    trace.Tap(vk::ENTER);
    trace.Stage(replays + "stage-0-death.txt");
    for (int stage = 0; stage < 4; ++stage)
        trace.Stage(replays + "stage-" + std::to_string(stage) + ".txt");
    trace.Frames(40);
    trace.Tap(vk::SPACE);
    trace.Frames(10);
    trace.Finish();
}

bool WriteWhole(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    std::fprintf(stderr, "frame_trace: cannot write %s\n", path.c_str());
    return false;
}

// The first digest line that differs, both ways; empty when every line agrees.
std::string FirstLineDifference(const std::string& expected, const std::string& made) {
    if (expected == made) return {};
    std::size_t line = 1, at = 0;
    for (; at < expected.size() && at < made.size() && expected[at] == made[at]; ++at)
        if (expected[at] == '\n') ++line;
    const std::size_t start = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = start == std::string::npos || at == 0 ? 0 : start + 1;
    auto lineAt = [from](const std::string& text) {
        if (from >= text.size()) return std::string("(the end)");
        return text.substr(from, text.find('\n', from) - from);
    };
    return "frames.txt differs from line " + std::to_string(line) + " on:\n  expected " +
           lineAt(expected) + "\n  made     " + lineAt(made) + "\n";
}

int Check(const std::string& dir, const Trace& trace) {
    const std::string lines = FirstLineDifference(Slurp(dir + "/frames.txt"), trace.lines);
    if (lines.empty() && trace.difference.empty()) {
        std::printf("%d frames, their draw calls and their sounds as %s lists them\n", trace.frame,
                    dir.c_str());
        return 0;
    }
    std::printf("%s%s", trace.difference.c_str(), lines.c_str());
    if (lines.empty()) std::printf("frames.txt agrees: frame_calls.txt is out of step with it.\n");
    std::printf("A change meant to show rewrites both: frame_trace --write %s\n", dir.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!(argc == 1 || (argc == 3 && (mode == "--write" || mode == "--check")))) {
        std::fprintf(stderr, "usage: frame_trace [--write DIR | --check DIR]\n");
        return 2;
    }
    const std::string dir = argc == 3 ? argv[2] : "";
    FrameListingWriter writer;
    std::unique_ptr<FrameListingReader> reader;
    if (mode == "--check") {
        std::string listing = Slurp(dir + "/frame_calls.txt");
        if (listing.empty())
            std::fprintf(stderr, "frame_trace: no %s/frame_calls.txt\n", dir.c_str());
        reader = std::make_unique<FrameListingReader>(std::move(listing));
    }
    HarnessOptions options;
    options.recordAudio = true;
    Harness h(options);
    Trace trace(h);
    trace.writer = mode == "--write" ? &writer : nullptr;
    trace.reader = reader.get();
    PlayWholeGame(trace);
    if (mode == "--check") return Check(dir, trace);
    if (mode == "--write")
        return WriteWhole(dir + "/frames.txt", trace.lines) &&
                       WriteWhole(dir + "/frame_calls.txt", kListingHead + writer.Text())
                   ? 0
                   : 1;
    std::fputs(trace.lines.c_str(), stdout);
    return 0;
}
