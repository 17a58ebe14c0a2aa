#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cstring>

#include "engine/audio.h"
#include "engine/audio_sample.h"
#include "engine/openal_driver.h"
#include "engine/stream.h"
#include "support/audio_recording_driver.h"
#include "support/audio_wave.h"
#include "support/manual_clock.h"

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

TEST(AudioDrivers, NullStandsInWhenNoDeviceOpens) {
    SetAudioDriver(CreateOpenALDriver("Kestrune: no such device"));
    EXPECT_EQ(AudioDriver().Name(), "Null");
    // Still decodes, so a broken file still shows up as a null sound.
    auto sound = LoadSound(AudioFixture("tone.ogg"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(LoadSound(AudioFixture("missing.ogg")), nullptr);
    auto channel = CueSound(sound.get());
    ASSERT_NE(channel, nullptr);
    ResumeChannel(channel.get());
    SetChannelVolume(channel.get(), 0.5f);
    EXPECT_FALSE(channel->Playing());
    EXPECT_EQ(PlaySound(sound.get(), channel), channel);
    SetAudioDriver(nullptr);
    EXPECT_EQ(AudioDriver().Name(), "Null");
    ShutdownAudio();
}

[[noreturn]] void PickOnFirstUse(const char* backends, const std::string& driver) {
    setenv("ALSOFT_DRIVERS", backends, 1);
    auto sound = LoadSound(AudioFixture("tone.ogg"));
    auto channel = PlaySound(sound.get());
    const std::string name = AudioDriver().Name();
    std::fprintf(stderr, "picked %s\n", name.c_str());
    ExitChild(name == driver && sound && channel);
}

// OpenAL reads its driver list once per process, so the first-use choice is made in a fresh one.
void ExpectFirstUsePicks(const char* backends, const char* driver) {
    EXPECT_EXIT(PickOnFirstUse(backends, driver), ::testing::ExitedWithCode(0), "picked");
}

TEST(AudioDrivers, FirstUsePicksOpenALWhenADeviceOpens) {
    ExpectFirstUsePicks("null", "OpenAL");
}

TEST(AudioDrivers, FirstUseWithoutADeviceWaitsSilentlyForOne) {
    ExpectFirstUsePicks("kestrune-no-such-backend", "OpenAL");
}

// A device going and coming back, played by injected faults on OpenAL Soft's null output.
class AudioDeviceLoss : public ::testing::Test {
  protected:
    void SetUp() override { OpenALTestFaults() = {}; }
    void TearDown() override {
        ShutdownAudio();
        OpenALTestFaults() = {};
    }
    // One second on, and the once-a-frame update seen by the driver a few times.
    void Second() {
        clock.Advance(1000);
        for (int i = 0; i < 3; ++i) UpdateAudio();
    }
    static std::vector<std::int16_t> Pcm(const TSound& sound) {
        std::vector<std::int16_t> pcm;
        int hertz = 0, format = 0;
        ReadOpenALSound(sound, pcm, hertz, format);
        return pcm;
    }
    ManualClock clock;
};

TEST_F(AudioDeviceLoss, TheOutputComesBackWithEverySoundAndTheMusicGoesOn) {
    SetAudioDriver(CreateOpenALDriver());
    auto music = LoadSound(AudioFixture("tone.ogg"), SOUND_LOOP);
    auto effect = LoadSound(AudioFixture("blip.ogg"));
    const std::vector<std::int16_t> musicPcm = Pcm(*music);
    ASSERT_FALSE(musicPcm.empty());
    auto channel = PlaySound(music.get());
    SetChannelVolume(channel.get(), 0.5f);
    auto blip = PlaySound(effect.get());
    ASSERT_TRUE(channel->Playing());
    // The output goes; two attempts to open it again fail.
    OpenALTestFaults().disconnect = true;
    OpenALTestFaults().refuseOpens = 2;
    testing::internal::CaptureStderr();
    Second();
    EXPECT_FALSE(channel->Playing());
    const int opens = OpenALTestFaults().opens;
    clock.Advance(500);
    for (int i = 0; i < 30; ++i) UpdateAudio();  // half a second of frames: no attempt
    EXPECT_EQ(OpenALTestFaults().opens, opens);
    Second();
    Second();
    EXPECT_EQ(OpenALTestFaults().opens, opens + 2);  // one attempt a second, each refused
    // Sounds made while there is no device are kept for the next one.
    auto late = LoadSound(AudioFixture("chord.ogg"));
    ASSERT_NE(late, nullptr);
    OpenALTestFaults().disconnect = false;
    Second();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Sound output lost"), std::string::npos) << said;
    EXPECT_NE(said.find("Sound output is back"), std::string::npos) << said;
    // The music plays again, from the same PCM; the effect that was cut off does not come back.
    EXPECT_TRUE(channel->Playing());
    EXPECT_FALSE(blip->Playing());
    StopChannel(channel.get());  // a buffer in use cannot be read back
    EXPECT_EQ(Pcm(*music), musicPcm);
    EXPECT_TRUE(PlaySound(late.get())->Playing());
    EXPECT_TRUE(PlaySound(effect.get())->Playing());
}

TEST_F(AudioDeviceLoss, MusicPausedOrStoppedMeanwhileStaysSoAndAGameStartedWithoutSoundGetsIt) {
    OpenALTestFaults().refuseOpens = 1;
    testing::internal::CaptureStderr();
    SetAudioDriver(CreateOpenALDriver());
    EXPECT_EQ(AudioDriver().Name(), "OpenAL");
    auto music = LoadSound(AudioFixture("tone.ogg"), SOUND_LOOP);
    auto title = PlaySound(music.get());
    auto other = PlaySound(music.get());
    auto paused = PlaySound(music.get());
    EXPECT_FALSE(title->Playing());
    StopChannel(other.get());
    PauseChannel(paused.get());
    Second();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(title->Playing());
    EXPECT_FALSE(other->Playing());
    EXPECT_FALSE(paused->Playing());
    ResumeChannel(paused.get());
    EXPECT_TRUE(paused->Playing());
    // Lost while paused: it comes back paused.
    PauseChannel(paused.get());
    OpenALTestFaults().disconnect = true;
    testing::internal::CaptureStderr();
    Second();
    OpenALTestFaults().disconnect = false;
    Second();
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(paused->Playing());
    ResumeChannel(paused.get());
    EXPECT_TRUE(paused->Playing());
    EXPECT_TRUE(title->Playing());
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
