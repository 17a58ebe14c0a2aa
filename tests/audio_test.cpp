#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/audio.h"
#include "engine/audio_sample.h"
#include "engine/openal_driver.h"
#include "engine/sound_output.h"
#include "engine/stream.h"
#include "support/audio_recording_driver.h"
#include "support/audio_wave.h"

namespace {

using namespace std::chrono_literals;

// The tests drive OpenAL's loopback mixer: sound moves on only when they mix, by exactly as much
// as they ask, however busy the machine is.
void Mix(std::chrono::milliseconds ms) {
    MixOpenAL(int(ms.count()));
}

// Mixes until the channel stops playing, for at most limit of sound.
bool EndsWithin(TChannel& channel, std::chrono::milliseconds limit) {
    for (auto mixed = 0ms; channel.Playing(); mixed += 5ms) {
        if (mixed > limit) return false;
        Mix(5ms);
    }
    return true;
}

TEST(AudioSample, DecodesMonoAndStereoAtTheStreamsRate) {
    auto mono = LoadAudioSample(AudioFixture("tone.ogg"));
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->format, TAudioSample::SF_MONO16LE);
    EXPECT_EQ(mono->hertz, 22050);
    EXPECT_EQ(mono->length, 11025);
    EXPECT_EQ(mono->capacity, 11025u * 2);

    auto stereo = LoadAudioSample(AudioFixture("chord.ogg"));
    ASSERT_NE(stereo, nullptr);
    EXPECT_EQ(stereo->format, TAudioSample::SF_STEREO16LE);
    EXPECT_EQ(stereo->hertz, 44100);
    EXPECT_EQ(stereo->length, 44100);
    EXPECT_EQ(stereo->samples.size(), 44100u * 2);
}

TEST(AudioSample, DataThatIsNotOggVorbisGivesNull) {
    const std::uint8_t text[] = "OggS but not really a stream at all";
    EXPECT_EQ(DecodeOggVorbis(text, sizeof text), nullptr);
    EXPECT_EQ(DecodeOggVorbis(nullptr, 0), nullptr);
    EXPECT_EQ(LoadAudioSample(AudioFixture("missing.ogg")), nullptr);
    std::vector<std::uint8_t> head = ReadAudioFixture("tone.ogg");
    head.resize(60);  // inside the first header page
    EXPECT_EQ(DecodeOggVorbis(head.data(), head.size()), nullptr);
}

// Chained streams made with sox (tests/data/ogg/README.md): one format throughout decodes whole,
// through the plain decode and the split loader alike; a link that changes channels or rate has
// the stream refused, never read as if it were the first link.
TEST(AudioSample, ChainedStreamsDecodeWholeOnlyWhenEveryLinkSharesTheFormat) {
    auto one = LoadAudioSample(AudioFixture("ogg/chain-one-format.ogg"));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->hertz, 44100);
    EXPECT_EQ(one->format, TAudioSample::SF_STEREO16LE);
    EXPECT_EQ(one->length, 11025 + 6615);
    for (const char* name :
         {"ogg/chain-mono22k-stereo44k.ogg", "ogg/chain-stereo-six.ogg", "ogg/chain-44k-48k.ogg"}) {
        std::vector<std::uint8_t> bytes = ReadAudioFixture(name);
        std::string why;
        EXPECT_EQ(DecodeOggVorbis(bytes.data(), bytes.size(), &why), nullptr) << name;
        EXPECT_EQ(why, "link 2 of the chained stream changes its channels or rate") << name;
        TOggDecoder decoder;
        EXPECT_FALSE(decoder.Open(bytes.data(), bytes.size()));
        EXPECT_EQ(decoder.Why(), why);
    }
    SetAudioDriver(CreateNullAudioDriver());
    const TSoundRequest requests[] = {{AudioFixture("ogg/chain-one-format.ogg"), 0},
                                      {AudioFixture("ogg/chain-stereo-six.ogg"), 0}};
    std::vector<std::unique_ptr<TSound>> sounds = LoadSounds(requests, 2, 1);
    EXPECT_NE(sounds[0], nullptr);
    EXPECT_EQ(sounds[1], nullptr);
    SetAudioDriver(nullptr);
}

TEST(AudioSample, DecoderGivesTheSamePcmHoweverTheReadsAreSplit) {
    std::vector<std::uint8_t> bytes = ReadAudioFixture("chord.ogg");
    auto whole = DecodeOggVorbis(bytes.data(), bytes.size());
    ASSERT_NE(whole, nullptr);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{100000}}) {
        TOggDecoder decoder;
        ASSERT_TRUE(decoder.Open(bytes.data(), bytes.size()));
        EXPECT_EQ(decoder.TotalFrames(), whole->length);
        std::vector<std::int16_t> pcm;
        std::vector<std::int16_t> buf(chunk * 2);
        while (std::size_t n = decoder.Read(buf.data(), chunk))
            pcm.insert(pcm.end(), buf.begin(), buf.begin() + n * 2);
        EXPECT_EQ(pcm, whole->samples) << "chunk " << chunk;
    }
}

TEST(AudioSample, DiscardingDecodeCountsTheBytesAFullDecodeHolds) {
    std::vector<std::uint8_t> bytes = ReadAudioFixture("chord.ogg");
    EXPECT_EQ(DecodeOggVorbisDiscarding(bytes.data(), bytes.size()), 44100 * 4);
    EXPECT_EQ(DecodeOggVorbisDiscarding(bytes.data(), 20), -1);
}

// The real OpenAL driver; the tests run it on OpenAL Soft's null output.
class AudioOpenAL : public ::testing::Test {
  protected:
    void SetUp() override {
        UseOpenALLoopback(kWaveHertz);
        SetAudioDriver(CreateOpenALDriver());
        ASSERT_EQ(AudioDriver().Name(), "OpenAL")
            << "no OpenAL device opened; run with ALSOFT_DRIVERS=null as CTest does";
        tone_ = LoadSound(AudioFixture("tone.ogg"));
        blip_ = LoadSound(AudioFixture("blip.ogg"));
        ASSERT_NE(tone_, nullptr);
        ASSERT_NE(blip_, nullptr);
    }
    void TearDown() override {
        tone_.reset();
        blip_.reset();
        ShutdownAudio();
        UseOpenALLoopback(0);
        ClearIncbins();
    }
    std::unique_ptr<TSound> tone_;
    std::unique_ptr<TSound> blip_;
};

TEST_F(AudioOpenAL, CuedChannelWaitsForResume) {
    auto channel = CueSound(tone_.get());
    ASSERT_NE(channel, nullptr);
    EXPECT_FALSE(channel->Playing());
    Mix(100ms);
    EXPECT_FALSE(channel->Playing());
    SetChannelVolume(channel.get(), 0.36f);
    ResumeChannel(channel.get());
    EXPECT_TRUE(channel->Playing());
    EXPECT_TRUE(EndsWithin(*channel, 2s));
}

TEST_F(AudioOpenAL, PauseHoldsAndResumeContinuesButStopIsFinal) {
    auto channel = PlaySound(tone_.get());
    EXPECT_TRUE(channel->Playing());
    PauseChannel(channel.get());
    EXPECT_FALSE(channel->Playing());
    // Held for longer than the whole sound: it must still be there to continue.
    Mix(600ms);
    ResumeChannel(channel.get());
    EXPECT_TRUE(channel->Playing());
    StopChannel(channel.get());
    EXPECT_FALSE(channel->Playing());
    ResumeChannel(channel.get());
    EXPECT_FALSE(channel->Playing());
}

TEST_F(AudioOpenAL, OnlyTheLoopFlagRepeats) {
    auto once = PlaySound(blip_.get());
    auto looped = LoadSound(AudioFixture("blip.ogg"), SOUND_LOOP);
    auto loop = PlaySound(looped.get());
    EXPECT_TRUE(EndsWithin(*once, 1s));
    Mix(100ms);
    EXPECT_TRUE(loop->Playing());
    // A finished channel does not come back by resuming.
    ResumeChannel(once.get());
    EXPECT_FALSE(once->Playing());
}

TEST_F(AudioOpenAL, PlayingOnAGivenChannelReusesItFromTheStart) {
    auto channel = PlaySound(blip_.get());
    ASSERT_TRUE(EndsWithin(*channel, 1s));
    EXPECT_EQ(PlaySound(tone_.get(), channel), channel);
    EXPECT_TRUE(channel->Playing());
    EXPECT_EQ(CueSound(blip_.get(), channel), channel);
    EXPECT_FALSE(channel->Playing());
    ResumeChannel(channel.get());
    EXPECT_TRUE(channel->Playing());
    // A cue on a source that an earlier channel gave back waits and starts the same way.
    StopChannel(channel.get());
    auto recycled = CueSound(tone_.get());
    EXPECT_FALSE(recycled->Playing());
    ResumeChannel(recycled.get());
    EXPECT_TRUE(recycled->Playing());
    // A channel of another driver is not taken over.
    auto foreign = CreateNullAudioDriver()->AllocChannel();
    auto other = PlaySound(blip_.get(), foreign);
    EXPECT_NE(other, foreign);
    EXPECT_TRUE(other->Playing());
}

TEST_F(AudioOpenAL, IdleChannelsAndNullSoundsDoNothing) {
    auto idle = AllocChannel();
    EXPECT_FALSE(idle->Playing());
    ResumeChannel(idle.get());
    EXPECT_FALSE(idle->Playing());
    EXPECT_EQ(PlaySound(nullptr), nullptr);
    EXPECT_EQ(CueSound(nullptr, idle), idle);
    StopChannel(nullptr);
    PauseChannel(nullptr);
    ResumeChannel(nullptr);
    SetChannelVolume(nullptr, 1);
    EXPECT_FALSE(ChannelPlaying(nullptr));
    EXPECT_EQ(LoadSound(AudioFixture("missing.ogg")), nullptr);
}

// An hour of play fires many thousands of effects while OpenAL has a few hundred sources.
TEST_F(AudioOpenAL, FinishedEffectsGiveTheirSourcesBack) {
    int silent = 0;
    for (int batch = 0; batch < 30; ++batch) {
        for (int i = 0; i < 100; ++i)
            if (!PlaySound(blip_.get())->Playing()) ++silent;
        Mix(80ms);
    }
    EXPECT_EQ(silent, 0);
}

TEST_F(AudioOpenAL, DroppedCuedAndPausedChannelsGiveTheirSourcesBack) {
    // Nobody can ever resume these, so they must not hold on to a source.
    for (int i = 0; i < 300; ++i) {
        PauseChannel(PlaySound(tone_.get()).get());
        CueSound(tone_.get());
    }
    auto channel = PlaySound(tone_.get());
    EXPECT_TRUE(channel->Playing());
}

TEST_F(AudioOpenAL, WithEverySourceBusyANewChannelIsSilentNotBroken) {
    std::vector<std::shared_ptr<TChannel>> held;
    for (int i = 0; i < 400; ++i) held.push_back(PlaySound(tone_.get()));
    EXPECT_TRUE(held.front()->Playing());
    EXPECT_FALSE(held.back()->Playing());
    // Dropped, they play to their end and then hand their sources back.
    held.clear();
    Mix(700ms);
    EXPECT_TRUE(PlaySound(tone_.get())->Playing());
}

TEST_F(AudioOpenAL, SoundsAndChannelsOutliveTheDriverSafely) {
    auto channel = PlaySound(tone_.get());
    auto cued = CueSound(blip_.get());
    ShutdownAudio();
    EXPECT_FALSE(channel->Playing());
    ResumeChannel(cued.get());
    SetChannelVolume(channel.get(), 0.5f);
    EXPECT_FALSE(cued->Playing());
    // Selecting again gives a fresh device; the old sound stays quiet on it.
    EXPECT_EQ(AudioDriver().Name(), "OpenAL");
    auto again = PlaySound(tone_.get());
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->Playing());
}

// Ogg's page checksum: CRC-32 with polynomial 0x04c11db7, unreflected, starting from 0.
std::uint32_t OggCrc(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= std::uint32_t(p[i]) << 24;
        for (int b = 0; b < 8; ++b) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// A stream whose last page claims more frames than it holds, with a valid checksum, so only the
// decoded length can tell.
std::vector<std::uint8_t> ClaimingMoreFrames(std::vector<std::uint8_t> ogg, std::uint64_t extra) {
    std::size_t page = ogg.size() - 27;
    while (page > 0 && std::memcmp(ogg.data() + page, "OggS", 4) != 0) --page;
    std::uint64_t granule = 0;
    std::memcpy(&granule, ogg.data() + page + 6, 8);
    granule += extra;
    std::memcpy(ogg.data() + page + 6, &granule, 8);
    std::memset(ogg.data() + page + 22, 0, 4);
    const std::uint32_t crc = OggCrc(ogg.data() + page, ogg.size() - page);
    std::memcpy(ogg.data() + page + 22, &crc, 4);
    return ogg;
}

TEST_F(AudioOpenAL, LoadSoundsMatchesLoadSoundSampleForSample) {
    std::vector<std::uint8_t> tone = ReadAudioFixture("tone.ogg");
    std::vector<std::uint8_t> chord = ReadAudioFixture("chord.ogg");
    // A damaged page in the middle: decoding skips it, so the stream holds fewer frames than
    // it announces.
    std::vector<std::uint8_t> damaged = ReadAudioFixture("noise.ogg");
    for (std::size_t i = 9000; i < 9040; ++i) damaged[i] ^= 0x5a;
    std::vector<std::uint8_t> noise = ReadAudioFixture("noise.ogg");
    std::vector<std::uint8_t> longer = ClaimingMoreFrames(noise, 5000);
    RegisterIncbin("tone.ogg", tone.data(), tone.size());
    RegisterIncbin("chord.ogg", chord.data(), chord.size());
    RegisterIncbin("damaged.ogg", damaged.data(), damaged.size());
    RegisterIncbin("noise.ogg", noise.data(), noise.size());
    RegisterIncbin("longer.ogg", longer.data(), longer.size());
    ASSERT_NE(LoadAudioSample("incbin::longer.ogg"), nullptr);
    const std::vector<TSoundRequest> requests = {
        {"incbin::tone.ogg", 0},    {"incbin::chord.ogg", SOUND_LOOP}, {"incbin::missing.ogg", 0},
        {"incbin::damaged.ogg", 0}, {"incbin::chord.ogg", 0},          {"incbin::noise.ogg", 0},
        {"incbin::longer.ogg", 0}};
    // Whole streams, and every stream cut into one piece per thread.
    for (auto [threads, split] : {std::pair{1, 4 << 20}, {2, 4 << 20}, {2, 1}, {3, 1}, {5, 1}}) {
        auto sounds = LoadSounds(requests, threads, split);
        ASSERT_EQ(sounds.size(), requests.size());
        EXPECT_EQ(sounds[2], nullptr);
        for (std::size_t i : {0u, 1u, 3u, 4u, 5u, 6u}) {
            ASSERT_NE(sounds[i], nullptr) << i;
            auto expected = LoadAudioSample(requests[i].source);
            ASSERT_NE(expected, nullptr);
            std::vector<std::int16_t> pcm;
            int hertz = 0, format = 0;
            ASSERT_TRUE(ReadOpenALSound(*sounds[i], pcm, hertz, format));
            EXPECT_EQ(hertz, expected->hertz);
            EXPECT_EQ(format, expected->format);
            EXPECT_EQ(pcm, expected->samples)
                << requests[i].source << " on " << threads << " threads, split " << split;
        }
        EXPECT_TRUE(PlaySound(sounds[4].get())->Playing());
    }
}

// The largest difference between two runs of samples of the same length; a huge one otherwise.
int Farthest(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    if (a.size() != b.size()) return 1 << 20;
    int most = 0;
    for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

bool Loud(const std::vector<std::int16_t>& pcm) {
    return std::any_of(pcm.begin(), pcm.end(), [](std::int16_t v) { return std::abs(v) > 1000; });
}

// Streamed sounds, mixed in stereo at their own rate, so what is heard can be set beside the
// decoded file sample for sample (but for the dither of the 16-bit mix).
class AudioStream : public ::testing::Test {
  protected:
    void SetUp() override {
        UseOpenALLoopback(44100, 2);
        SetAudioDriver(CreateOpenALDriver());
        ASSERT_EQ(AudioDriver().Name(), "OpenAL");
    }
    void TearDown() override {
        ShutdownAudio();
        UseOpenALLoopback(0);
        ClearIncbins();
    }
};

TEST_F(AudioStream, LoopsSeamlesslyToTheSample) {
    auto noise = LoadStream(AudioFixture("noise.ogg"), SOUND_LOOP);
    auto decoded = LoadAudioSample(AudioFixture("noise.ogg"));
    ASSERT_TRUE(noise && decoded);
    auto channel = PlaySound(noise.get());
    // Two and a half passes, across two loops.
    const std::vector<std::int16_t> heard = MixOpenAL(3750);
    std::vector<std::int16_t> expected;
    while (expected.size() < heard.size())
        expected.insert(expected.end(), decoded->samples.begin(), decoded->samples.end());
    // The mix comes out a few frames late, always the same few (the output limiter looks ahead):
    // at that delay every frame must match, the loops' seams included.
    std::size_t delay = 0;
    while (delay < 256 && Farthest({heard.begin() + 2 * delay, heard.begin() + 2 * delay + 2000},
                                   {expected.begin(), expected.begin() + 2000}) > 2)
        ++delay;
    ASSERT_LT(delay, 256u);
    expected.resize(heard.size() - 2 * delay);
    EXPECT_LE(Farthest({heard.begin() + 2 * delay, heard.end()}, expected), 2);
    EXPECT_TRUE(channel->Playing());
}

TEST_F(AudioStream, PausesCuesStopsAndEndsLikeADecodedSound) {
    auto once = LoadStream(AudioFixture("chord.ogg"));
    ASSERT_NE(once, nullptr);
    auto cued = CueSound(once.get());
    MixOpenAL(100);
    EXPECT_FALSE(cued->Playing());
    ResumeChannel(cued.get());
    EXPECT_TRUE(cued->Playing());
    PauseChannel(cued.get());
    const std::vector<std::int16_t> held = MixOpenAL(2000);
    EXPECT_FALSE(Loud(held));
    ResumeChannel(cued.get());
    EXPECT_TRUE(Loud(MixOpenAL(100)));
    // A stream that does not loop plays its second to the end, then stops for good.
    MixOpenAL(1000);
    EXPECT_FALSE(cued->Playing());
    auto stopped = PlaySound(once.get());
    StopChannel(stopped.get());
    EXPECT_FALSE(Loud(MixOpenAL(100)));
    EXPECT_EQ(LoadStream(AudioFixture("missing.ogg")), nullptr);
}

TEST_F(AudioStream, AStreamThatTurnsOutDamagedEndsThereWithOneLineAndDoesNotLoop) {
    // A page in the middle of the noise that fails its checksum: decoding skips it.
    std::vector<std::uint8_t> damaged = ReadAudioFixture("noise.ogg");
    for (std::size_t i = 9000; i < 9040; ++i) damaged[i] ^= 0x5a;
    RegisterIncbin("damaged.ogg", damaged.data(), damaged.size());
    auto music = LoadStream("incbin::damaged.ogg", SOUND_LOOP);
    ASSERT_NE(music, nullptr);
    testing::internal::CaptureStderr();
    auto channel = PlaySound(music.get());
    EXPECT_TRUE(Loud(MixOpenAL(200)));
    MixOpenAL(3000);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(channel->Playing());
    EXPECT_FALSE(Loud(MixOpenAL(500)));
    EXPECT_EQ(said.rfind("The music \"incbin::damaged.ogg\" is damaged ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// A driver whose output never starts, as OpenAL without its mixer would be.
class TRefusingDriver final : public TAudioDriver {
  public:
    std::string Name() const override { return "Refusing"; }
    bool Startup() override { return false; }
    void Shutdown() override {}
    std::unique_ptr<TSound> CreateSound(const TAudioSample&, int) override { return nullptr; }
    using TAudioDriver::CreateSound;
    std::shared_ptr<TChannel> AllocChannel() override { return nullptr; }
};

TEST(AudioDrivers, NullStandsInWhenADriverCannotStart) {
    testing::internal::CaptureStderr();
    SetAudioDriver(std::make_unique<TRefusingDriver>());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(AudioDriver().Name(), "Null");
    // Still decodes, so a broken file still shows up as a null sound.
    auto sound = LoadSound(AudioFixture("tone.ogg"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(LoadSound(AudioFixture("missing.ogg")), nullptr);
    auto channel = CueSound(sound.get());
    ASSERT_NE(channel, nullptr);
    ResumeChannel(channel.get());
    EXPECT_FALSE(channel->Playing());
    EXPECT_EQ(PlaySound(sound.get(), channel), channel);
    ShutdownAudio();
}

// An output the test controls: it opens or refuses, goes away, and pulls the mix when told to.
struct FakeOutputState {
    bool refuse = false;
    bool alive = true;
    int opens = 0;
    TMixPull pull;
    // The next ms of the mix, as the device would play it; empty while it is not open.
    std::vector<std::int16_t> Play(int ms) {
        if (!pull) return {};
        std::vector<std::int16_t> pcm(std::size_t(48 * ms * 2));
        pull(pcm.data(), 48 * ms);
        return pcm;
    }
};

class FakeOutput final : public TOutputDevice {
  public:
    explicit FakeOutput(std::shared_ptr<FakeOutputState> state) : state_(std::move(state)) {}
    bool Open(int, int, TMixPull pull) override {
        ++state_->opens;
        if (state_->refuse) return false;
        state_->alive = true;
        state_->pull = std::move(pull);
        return true;
    }
    bool Alive() override { return state_->alive; }
    void Close() override { state_->pull = nullptr; }
    std::string Why() const override { return "refused by the test"; }
    std::string Name() const override { return "the test's output"; }

  private:
    std::shared_ptr<FakeOutputState> state_;
};

// The mixer stays while its output goes and comes back: the keeper is stepped by hand, the frames
// the device would play are pulled by hand.
class AudioOutputLoss : public ::testing::Test {
  protected:
    void SetUp() override {
        SetAudioDriver(CreateOpenALDriver(std::make_unique<FakeOutput>(device_)));
        ASSERT_EQ(AudioDriver().Name(), "OpenAL");
        music_ = LoadStream(AudioFixture("chord.ogg"), SOUND_LOOP);
        blip_ = LoadSound(AudioFixture("blip.ogg"));
        ASSERT_TRUE(music_ && blip_);
    }
    void TearDown() override { ShutdownAudio(); }
    // The keeper's look at time ms, then the game's frame.
    void At(std::int64_t ms) {
        OpenALOutput()->Step(ms);
        UpdateAudio();
    }
    std::shared_ptr<FakeOutputState> device_ = std::make_shared<FakeOutputState>();
    std::unique_ptr<TSound> music_;
    std::unique_ptr<TSound> blip_;
};

TEST_F(AudioOutputLoss, TheMusicGoesOnFromItsPlaceAndEffectsOfTheSilenceAreDropped) {
    // What an output that never goes away plays: 300 ms, then the next 300 ms.
    At(0);
    auto reference = PlaySound(music_.get());
    SetChannelVolume(reference.get(), 0.5f);
    device_->Play(300);
    const std::vector<std::int16_t> next = device_->Play(300);
    StopChannel(reference.get());

    auto music = PlaySound(music_.get());
    SetChannelVolume(music.get(), 0.5f);
    EXPECT_TRUE(Loud(device_->Play(300)));
    auto cutOff = PlaySound(blip_.get());
    testing::internal::CaptureStderr();
    device_->alive = false;
    device_->refuse = true;
    At(100);  // lost, and one attempt at once, refused
    EXPECT_EQ(OpenALOutput()->Now(), TSoundOutput::State::Silent);
    EXPECT_FALSE(cutOff->Playing());
    EXPECT_FALSE(PlaySound(blip_.get())->Playing());
    EXPECT_TRUE(music->Playing());
    At(600);  // not due yet
    EXPECT_EQ(device_->opens, 2);
    At(1100);
    EXPECT_EQ(device_->opens, 3);
    device_->refuse = false;
    At(2100);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(OpenALOutput()->Now(), TSoundOutput::State::Heard);
    // One line each way, however many attempts came between.
    EXPECT_EQ(said,
              "Sound output lost: playing silently and looking for it every second.\n"
              "Sound output is back, through the test's output.\n");
    // The same frames, but for the dither of the 16-bit mix.
    EXPECT_LE(Farthest(device_->Play(300), next), 2);
    EXPECT_TRUE(PlaySound(blip_.get())->Playing());
}

TEST_F(AudioOutputLoss, PausedMusicStaysPausedAndAGameStartedWithoutAnOutputFindsOneLater) {
    device_->refuse = true;
    testing::internal::CaptureStderr();
    auto music = PlaySound(music_.get());
    At(0);
    EXPECT_EQ(OpenALOutput()->Now(), TSoundOutput::State::Silent);
    PauseChannel(music.get());
    device_->refuse = false;
    At(1000);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("No sound output yet (refused by the test)", 0), 0u) << said;
    EXPECT_NE(said.find("Sound output found, through the test's output."), std::string::npos);
    EXPECT_FALSE(Loud(device_->Play(200)));
    ResumeChannel(music.get());
    EXPECT_TRUE(Loud(device_->Play(200)));
}

// A device whose Open hangs until the test lets it go, as with a sound server that never
// answers.
class HangingOutput final : public TOutputDevice {
  public:
    explicit HangingOutput(std::shared_ptr<std::atomic<bool>> release)
        : release_(std::move(release)) {}
    bool Open(int, int, TMixPull) override {
        while (!*release_) std::this_thread::sleep_for(5ms);
        return false;
    }
    bool Alive() override { return false; }
    void Close() override {}
    std::string Why() const override { return "never answered"; }
    std::string Name() const override { return "hanging"; }

  private:
    std::shared_ptr<std::atomic<bool>> release_;
};

TEST(SoundOutput, AKeeperStuckInAnAttemptNeitherHoldsAFrameNorTheGameUp) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    testing::internal::CaptureStderr();
    const auto before = std::chrono::steady_clock::now();
    {
        TSoundOutput output(std::make_unique<HangingOutput>(release), 48000, 2,
                            [](std::int16_t*, int) {});
        output.Start();
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(output.Now(), TSoundOutput::State::Trying);
    }
    // Generous: a hang would be for as long as the device never answers.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    *release = true;
    std::this_thread::sleep_for(50ms);  // the keeper left behind finishes on its own
    testing::internal::GetCapturedStderr();
}

// SDL's real audio, with an audio system that does not exist and then with SDL's dummy output.
TEST(SoundOutput, ThePlatformOutputSaysWhyItIsSilentAndIsFoundOnceThereIsOne) {
    const char* was = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = was ? was : "";
    setenv("SDL_AUDIODRIVER", "kestrune-no-such-audio", 1);
    int pulls = 0;
    testing::internal::CaptureStderr();
    {
        TSoundOutput output(CreatePlatformOutputDevice(), 48000, 2,
                            [&pulls](std::int16_t*, int) { ++pulls; });
        output.Step(0);
        EXPECT_EQ(output.Now(), TSoundOutput::State::Silent);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        output.Step(1000);
        EXPECT_EQ(output.Now(), TSoundOutput::State::Heard);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("No sound output yet ("), std::string::npos) << said;
    EXPECT_NE(said.find("kestrune-no-such-audio"), std::string::npos) << said;
    EXPECT_NE(said.find("Sound output found, through dummy."), std::string::npos) << said;
    if (was)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

TEST(AudioDrivers, LoadSoundsHandsDecodedPcmToAnyDriver) {
    AudioRecordingDriver& driver = InstallRecordingAudioDriver();
    std::vector<std::uint8_t> chord = ReadAudioFixture("chord.ogg");
    RegisterIncbin("chord.ogg", chord.data(), chord.size());
    const std::vector<TSoundRequest> requests = {{"incbin::chord.ogg", 0},
                                                 {"incbin::chord.ogg", SOUND_LOOP}};
    auto sounds = LoadSounds(requests, 2);
    auto expected = LoadAudioSample("incbin::chord.ogg");
    ASSERT_NE(expected, nullptr);
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        auto* sound = dynamic_cast<RecordedSound*>(sounds[i].get());
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->flags, requests[i].flags);
        EXPECT_EQ(sound->pcm.samples, expected->samples);
        EXPECT_EQ(sound->pcm.length, expected->length);
    }
    EXPECT_EQ(driver.soundsCreated, 2);
    ShutdownAudio();
    ClearIncbins();
}

}  // namespace
