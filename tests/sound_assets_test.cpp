// The shipped sounds: they must be exactly what the synth makes from their sources, decode to the
// formats and lengths the game expects, stay clear of clipping, and the music must loop cleanly.
// The synth itself is checked through its command line, on small sources written here.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_sample.h"
#include "shell/sfx.h"
#include "support/temp_dir.h"

namespace {

const std::string kRoot = KESTRUNE_SOURCE_DIR;
const std::string kSources = kRoot + "/tools/synth/sounds";
const std::string kAssets = kRoot + "/assets/sounds";

// The lengths a sound of each kind may have, in seconds; the effects and the music are told apart
// by the sound table (the music is streamed).
constexpr std::pair<double, double> kEffectSeconds = {0.02, 6.0};
constexpr std::pair<double, double> kMusicSeconds = {45, 90};

// Narrower lengths the shipped effects were made to; a sound not named here is held to the range
// of its kind. Every name must be a file of the sound table.
const std::map<std::string, std::pair<double, double>> kMadeSeconds = {
    {"gem_collect", {0.2, 0.4}},   {"player_jump", {0.15, 0.3}}, {"player_die", {0.7, 1.4}},
    {"coin_bounce", {0.05, 0.35}}, {"coin_got", {0.9, 1.6}},     {"ui1", {0.02, 0.15}},
    {"ui2", {0.1, 0.5}},           {"enemy_poof", {0.3, 0.5}},   {"loading", {3.0, 6.0}},
};

struct Expected {
    std::string name;  // the file's name without ".ogg"
    bool music;
    double minSeconds, maxSeconds;
};

// Every file of the sound table once, in the table's order.
const std::vector<Expected>& Sounds() {
    static const std::vector<Expected> sounds = [] {
        std::vector<Expected> list;
        for (const SFXSound& s : SFX::Sounds()) {
            std::string name = s.file;
            name.resize(name.size() - 4);
            if (std::any_of(list.begin(), list.end(), [&](auto& e) { return e.name == name; }))
                continue;
            const bool music = s.load == SFXSound::STREAMED;
            auto made = kMadeSeconds.find(name);
            const auto range = made != kMadeSeconds.end() ? made->second
                               : music                    ? kMusicSeconds
                                                          : kEffectSeconds;
            list.push_back({name, music, range.first, range.second});
        }
        return list;
    }();
    return sounds;
}

// Vorbis overshoots the PCM it was given a little; -0.5 dBFS still leaves room for that.
constexpr double kMaxPeak = 0.944;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the synth; returns its exit status and leaves what it printed in `output`.
int RunSynth(const std::string& source, const std::string& target, std::string* output = nullptr) {
    const std::string log = target + ".log";
    const std::string command =
        std::string("'") + SYNTH_EXE + "' '" + source + "' '" + target + "' >'" + log + "' 2>&1";
    int status = std::system(command.c_str());
    if (output) *output = ReadText(log);
    std::filesystem::remove(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each shipped file is decoded once for all the checks below.
const TAudioSample& Decoded(const std::string& name) {
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<TAudioSample>> cache;
    std::lock_guard<std::mutex> hold(lock);
    auto& slot = cache[name];
    if (!slot) slot = LoadAudioSample(kAssets + "/" + name + ".ogg");
    static const TAudioSample empty;
    return slot ? *slot : empty;
}

// Largest magnitude over frames [from, to), all channels.
int MaxAbs(const TAudioSample& s, int from, int to) {
    const int channels = s.Channels();
    int peak = 0;
    for (int i = std::max(from, 0) * channels; i < std::min(to, s.length) * channels; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(s.samples[i])));
    return peak;
}

double Peak(const TAudioSample& s) {
    return MaxAbs(s, 0, s.length) / 32768.0;
}

double Rms(const TAudioSample& s) {
    double sum = 0.0;
    for (std::int16_t v : s.samples) sum += static_cast<double>(v) * v;
    return s.samples.empty() ? 0.0
                             : std::sqrt(sum / static_cast<double>(s.samples.size())) / 32768.0;
}

// A value from a source's settings line, e.g. "tempo 126".
double Setting(const std::string& text, const std::string& key, double fallback) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        double value = 0.0;
        if (words >> first && first == key && words >> value) return value;
    }
    return fallback;
}

TEST(SoundAssets, EverySourceHasItsFileAndNothingIsMissing) {
    std::set<std::string> sources, assets, expected;
    for (const auto& e : Sounds()) expected.insert(e.name);
    for (const auto& [name, range] : kMadeSeconds)
        EXPECT_TRUE(expected.count(name)) << name << " has no row in the sound table";
    for (const auto& f : std::filesystem::directory_iterator(kSources))
        if (f.path().extension() == ".synth") sources.insert(f.path().stem().string());
    for (const auto& f : std::filesystem::directory_iterator(kAssets))
        if (f.path().extension() == ".ogg") assets.insert(f.path().stem().string());
    EXPECT_EQ(sources, expected);
    EXPECT_EQ(assets, expected);
}

TEST(SoundAssets, ShippedFilesAreExactlyWhatTheSourcesRender) {
    TempDir dir;
    std::atomic<std::size_t> next{0};
    std::vector<int> status(Sounds().size(), -1);
    auto worker = [&] {
        for (std::size_t i; (i = next++) < Sounds().size();) {
            const std::string name = Sounds()[i].name;
            status[i] = RunSynth(kSources + "/" + name + ".synth", dir.File(name + ".ogg"));
        }
    };
    std::thread a(worker), b(worker);  // the build machines have two cores
    a.join();
    b.join();
    for (std::size_t i = 0; i < Sounds().size(); ++i) {
        const std::string name = Sounds()[i].name;
        ASSERT_EQ(status[i], 0) << name;
        EXPECT_TRUE(ReadText(dir.File(name + ".ogg")) == ReadText(kAssets + "/" + name + ".ogg"))
            << name << ".ogg differs from a fresh render; run the 'sounds' target and commit";
    }
}

TEST(SoundAssets, EffectsAreMonoShortAndUnclipped) {
    for (const auto& e : Sounds()) {
        if (e.music) continue;
        SCOPED_TRACE(e.name);
        const TAudioSample& s = Decoded(e.name);
        ASSERT_GT(s.length, 0);
        EXPECT_EQ(s.Channels(), 1);
        EXPECT_TRUE(s.hertz == 44100 || s.hertz == 22050) << s.hertz;
        const double seconds = static_cast<double>(s.length) / s.hertz;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);
        EXPECT_LT(Peak(s), kMaxPeak);
    }
}

TEST(SoundAssets, MusicIsStereoWholeBarsAndUnclipped) {
    for (const auto& e : Sounds()) {
        if (!e.music) continue;
        SCOPED_TRACE(e.name);
        const TAudioSample& s = Decoded(e.name);
        ASSERT_GT(s.length, 0);
        EXPECT_EQ(s.Channels(), 2);
        EXPECT_EQ(s.hertz, 44100);
        const double seconds = static_cast<double>(s.length) / s.hertz;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);
        EXPECT_LT(Peak(s), kMaxPeak);

        // The game loops the whole decoded buffer, so encoder padding would put a gap in every
        // loop: the length must be a whole number of bars of the source's tempo.
        const std::string text = ReadText(kSources + "/" + e.name + ".synth");
        const double tempo = Setting(text, "tempo", 120);
        const double stepsPerBeat = Setting(text, "steps", 4);
        const double stepsPerBar = Setting(text, "bar", 16);
        const double barFrames = 44100.0 * 60.0 / tempo * stepsPerBar / stepsPerBeat;
        const double bars = s.length / barFrames;
        EXPECT_NEAR(bars, std::round(bars), 1.0 / barFrames) << s.length << " frames";
    }
}

// Where the loop closes, the step from the last frame back to the first must look like any other
// step of the music around it. A note cut at the end, an echo that does not wrap, or a length
// that is off by a few hundred frames all show as a step far outside that range. The codec's
// error is not the same at the two ends, so the seam may step as far as the busiest 1% of the
// nearby steps do, not only as far as a typical one.
TEST(SoundAssets, MusicLoopsWithoutAClick) {
    constexpr int kWindow = 4096;
    for (const auto& e : Sounds()) {
        if (!e.music) continue;
        const TAudioSample& s = Decoded(e.name);
        ASSERT_GT(s.length, 2 * kWindow) << e.name;
        for (int c = 0; c < 2; ++c) {
            auto at = [&](int frame) { return static_cast<int>(s.samples[frame * 2 + c]); };
            std::vector<int> steps;
            for (int i = 0; i + 1 < kWindow; ++i) {
                steps.push_back(std::abs(at(i + 1) - at(i)));
                steps.push_back(std::abs(at(s.length - 1 - i) - at(s.length - 2 - i)));
            }
            std::sort(steps.begin(), steps.end());
            const int usual = steps[steps.size() * 99 / 100];
            const int seam = std::abs(at(s.length - 1) - at(0));
            EXPECT_LE(seam, std::max(usual, 64))
                << e.name << " channel " << c << ": last " << at(s.length - 1) << ", first "
                << at(0) << ", 99% of steps near the seam are within " << usual;
        }
    }
}

// The music is streamed and looped as it plays: every pass must be the whole file, sample for
// sample, with the next pass starting at the file's first frame.
TEST(SoundAssets, StreamedMusicLoopsToTheSample) {
    for (const auto& e : Sounds()) {
        if (!e.music) continue;
        const TAudioSample& whole = Decoded(e.name);
        const std::string bytes = ReadText(kAssets + "/" + e.name + ".ogg");
        TOggStream stream;
        ASSERT_TRUE(
            stream.Open(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), true));
        // A pass and a bit, in the pieces the mixer's thread reads.
        std::vector<std::int16_t> heard((std::size_t(whole.length) + 8192) * 2);
        for (std::size_t at = 0; at < heard.size(); at += 4096 * 2)
            ASSERT_EQ(stream.Read(heard.data() + at,
                                  std::min<std::size_t>(4096, (heard.size() - at) / 2)),
                      std::min<std::size_t>(4096, (heard.size() - at) / 2))
                << e.name;
        EXPECT_TRUE(std::equal(whole.samples.begin(), whole.samples.end(), heard.begin()))
            << e.name;
        EXPECT_TRUE(
            std::equal(heard.begin() + whole.length * 2, heard.end(), whole.samples.begin()))
            << e.name << ": the second pass does not start at the first frame";
    }
}

// The game plays music at half volume at most and effects at full volume; an effect must not
// drown under the music even then.
TEST(SoundAssets, EffectsAreAsLoudAsTheMusicTheyPlayOver) {
    double music = 0.0;
    int tracks = 0;
    for (const auto& e : Sounds()) {
        if (!e.music) continue;
        music += Rms(Decoded(e.name));
        ++tracks;
    }
    music /= tracks;
    EXPECT_GT(music, 0.08) << "music is mastered too quietly";
    for (const auto& e : Sounds()) {
        if (e.music) continue;
        EXPECT_GT(Rms(Decoded(e.name)), 0.5 * music) << e.name;
    }
}

// ---- The synth on sources written for the test ----

class SoundSynth : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_.File(name)) << text;
        return dir_.File(name);
    }
    std::unique_ptr<TAudioSample> Render(const std::string& text) {
        const std::string out = dir_.File("out.ogg");
        std::string log;
        if (RunSynth(Write("in.synth", text), out, &log) != 0) {
            ADD_FAILURE() << log;
            return nullptr;
        }
        return LoadAudioSample(out);
    }
    TempDir dir_;
};

const char kSine[] =
    "tempo 60\n"
    "steps 1\n"
    "bar 0\n"
    "instrument tone\n"
    "  wave sine\n"
    "  env 0.01 0 1 0.1\n"
    "end\n";

TEST_F(SoundSynth, PlaysTheWrittenPitchForTheWrittenTime) {
    // One beat of A4 at 60 BPM: a second of 440 Hz, then the 0.1 s release.
    auto s = Render(std::string(kSine) + "pattern p\n  tone A4 .\nend\nsong p\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Channels(), 1);
    EXPECT_EQ(s->hertz, 44100);
    EXPECT_NEAR(s->length, 2 * 44100, 2);  // the rest step still counts
    int crossings = 0;
    for (int i = 1; i < 44100; ++i)
        if ((s->samples[i - 1] < 0) != (s->samples[i] < 0)) ++crossings;
    EXPECT_NEAR(crossings / 2.0, 440.0, 3.0);
    // Silent once the release is over, not just quieter.
    EXPECT_LT(MaxAbs(*s, 44100 + 5000, s->length), 40);
    EXPECT_NEAR(Peak(*s), std::pow(10.0, -3.0 / 20.0), 0.03);  // the default peak is -3 dBFS
}

TEST_F(SoundSynth, HoldsKeepOneNoteSoundingAndPeakSetsTheLevel) {
    // C5 held over two beats: as loud in its second beat as in its first, silent soon after.
    auto s = Render(std::string(kSine) + "peak -6\npattern p\n  tone C5 - . .\nend\nsong p\n");
    ASSERT_TRUE(s);
    const int first = MaxAbs(*s, 2000, 44100);
    const int second = MaxAbs(*s, 44100, 88200 - 200);
    EXPECT_NEAR(static_cast<double>(second) / first, 1.0, 0.05);
    EXPECT_LT(MaxAbs(*s, 88200 + 5000, s->length), 40);
    EXPECT_NEAR(Peak(*s), 0.5, 0.03);
}

TEST_F(SoundSynth, LoopedSongsWrapTheirTailsOntoTheStart) {
    // The last step's note rings on for its release; looped, that ring is heard at the start and
    // the file is exactly the song's length; as a one-shot it is appended instead.
    const std::string body =
        "channels 2\n"
        "tempo 120\n"
        "instrument ping\n  wave triangle\n  env 0.002 0.05 0.8 0.4\nend\n"
        "pattern p\n  ping | . . . . . . . . . . . . . . . E5 |\nend\nsong p\n";
    auto looped = Render("loop on\n" + body);
    ASSERT_TRUE(looped);
    EXPECT_EQ(looped->Channels(), 2);
    EXPECT_EQ(looped->length, 88200);  // one bar of 4/4 at 120 BPM
    EXPECT_GT(MaxAbs(*looped, 0, 4000), 3000);

    auto once = Render(body);
    ASSERT_TRUE(once);
    EXPECT_GT(once->length, 88200 + 0.3 * 44100);
    EXPECT_LT(MaxAbs(*once, 0, 4000), 40);
}

TEST_F(SoundSynth, SameSourceGivesSameBytesAndTheSeedMatters) {
    const std::string noise =
        "instrument hiss\n  wave noise\n  note C8\n  env 0.001 0.2 0 0.01\nend\n"
        "pattern p\n  hiss | x . . . . . . . . . . . . . . . |\nend\nsong p\n";
    Write("a.synth", noise);
    Write("b.synth", "seed 2\n" + noise);
    ASSERT_EQ(RunSynth(dir_.File("a.synth"), dir_.File("a1.ogg")), 0);
    ASSERT_EQ(RunSynth(dir_.File("a.synth"), dir_.File("a2.ogg")), 0);
    ASSERT_EQ(RunSynth(dir_.File("b.synth"), dir_.File("b.ogg")), 0);
    EXPECT_EQ(ReadText(dir_.File("a1.ogg")), ReadText(dir_.File("a2.ogg")));
    EXPECT_NE(ReadText(dir_.File("a1.ogg")), ReadText(dir_.File("b.ogg")));
}

TEST_F(SoundSynth, RejectsMalformedSourcesNamingTheLine) {
    const std::string inst = "instrument t\n  wave sine\nend\n";  // lines 1-3
    struct Case {
        std::string text;
        std::string where;  // "FILE:LINE" suffix expected in the message
        std::string says;
    };
    const Case cases[] = {
        {"tempo fast\n", ":1:", "not a number"},
        {"volume 3\n", ":1:", "unknown setting"},
        {inst + "pattern p\n  t - C4\nend\nsong p\n", ":5:", "holds nothing"},
        {inst + "pattern p\n  t | C4 . . | . |\nend\nsong p\n", ":5:", "not on a bar"},
        {inst + "pattern p\n  t C4 . . .\n  t C4 .\nend\nsong p\n", ":6:", "steps"},
        {inst + "pattern p\n  u C4\nend\nsong p\n", ":5:", "no instrument named 'u'"},
        {inst + "pattern p\n  t H4\nend\nsong p\n", ":5:", "not a note"},
        {inst + "pattern p\n  t C4\n", ":4:", "never closed"},
        {inst + "pattern p\n  t C4 . . .\nend\nsong p\n", ":4:", "whole number of bars"},
        {inst + "bar 4\npattern p\n  t | C4 . . . |\nend\nsong q\n", ":8:", "no section"},
        {"instrument t\n  wave pulse\nend\n", ":2:", "duty"},
        {inst, "", "no 'song' line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string out = dir_.File("bad.ogg");
        std::string log;
        EXPECT_EQ(RunSynth(Write("bad.synth", c.text), out, &log), 1);
        EXPECT_NE(log.find("bad.synth" + c.where), std::string::npos) << log;
        EXPECT_NE(log.find(c.says), std::string::npos) << log;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

}  // namespace
