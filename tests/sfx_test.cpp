#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "engine/audio.h"
#include "engine/audio_sample.h"
#include "engine/openal_driver.h"
#include "engine/stream.h"
#include "shell/embedded_assets.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "support/audio_recording_driver.h"
#include "support/audio_wave.h"

namespace {

using Mode = RecordedChannel::Mode;

const std::string kSoundsDir = std::string(KESTRUNE_SOURCE_DIR) + "/assets/sounds";

struct Slot {
    std::unique_ptr<TSound>& sound;
    std::string file;  // under ../assets/sounds/
};

// The rows of the sound table.
std::vector<Slot> Slots() {
    std::vector<Slot> slots;
    for (const SFXSound& s : SFX::Sounds()) slots.push_back({s.sound, s.file});
    return slots;
}

// The sound manager over a recording driver with a named stand-in for every sound.
class Sfx : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearIncbins();
        SFX::Reset();
        driver_ = &InstallRecordingAudioDriver();
        SFX::Load();
        for (const Slot& s : Slots()) s.sound = driver_->MakeSound(s.file, 0);
        idleMusic_ = SFX::MusicChannel;
        cfgSound = 1;
        cfgMusic = 4;
    }
    void TearDown() override {
        SFX::Reset();
        ShutdownAudio();
        ResetConfig();
    }
    RecordedChannel* Music() const {
        return dynamic_cast<RecordedChannel*>(SFX::MusicChannel.get());
    }
    // Starts a track and forgets the calls that took.
    RecordedChannel* Start(int track) {
        SFX::PlayMusic(track);
        driver_->Clear();
        return Music();
    }

    AudioRecordingDriver* driver_ = nullptr;
    std::shared_ptr<TChannel> idleMusic_;
};

TEST(SfxLoad, WithoutFilesEverySoundIsNullAndEveryCallIsSilent) {
    ClearIncbins();
    SFX::Reset();
    AudioRecordingDriver& driver = InstallRecordingAudioDriver();
    SFX::Load();
    ASSERT_NE(SFX::MusicChannel, nullptr);
    ASSERT_NE(SFX::LoadingChannel, nullptr);
    EXPECT_NE(SFX::MusicChannel, SFX::LoadingChannel);
    EXPECT_FALSE(SFX::MusicChannel->Playing());
    for (const Slot& s : Slots()) EXPECT_EQ(s.sound, nullptr) << s.file;
    EXPECT_EQ(SFX::CurrentMusic, nullptr);

    cfgSound = 1;
    cfgMusic = 3;
    SFX::Play(SFX::GemCollect);
    SFX::PlayLoading();
    SFX::PlayMusic(9);
    SFX::PauseMusic();
    SFX::ResumeMusic();
    SFX::SetMusicVolume();
    SFX::StopMusic();
    SFX::StopLoading();
    EXPECT_TRUE(driver.Calls("play").empty());
    EXPECT_TRUE(driver.Calls("cue").empty());
    EXPECT_EQ(SFX::MusicChannel, nullptr);

    SFX::Reset();
    EXPECT_EQ(SFX::LoadingChannel, nullptr);
    ShutdownAudio();
    ResetConfig();
}

TEST_F(Sfx, EffectsAreSilentWhileSoundIsOff) {
    cfgSound = 0;
    std::shared_ptr<TChannel> loading = SFX::LoadingChannel;
    SFX::Play(SFX::GemCollect);
    SFX::PlayLoading();
    SFX::StopLoading();
    EXPECT_TRUE(driver_->Calls().empty());
    EXPECT_EQ(SFX::LoadingChannel, loading);

    // Any value but 0 is on.
    cfgSound = -2;
    SFX::Play(SFX::GemCollect);
    SFX::Play(SFX::PlayerJump.get());
    AudioLog plays = driver_->Calls("play");
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0].sound, SFX::GemCollect.get());
    EXPECT_EQ(plays[1].sound, SFX::PlayerJump.get());
    // Each on a fresh channel of its own.
    EXPECT_NE(plays[0].channel, plays[1].channel);
    EXPECT_NE(plays[0].channel, SFX::MusicChannel.get());
    EXPECT_NE(plays[0].channel, SFX::LoadingChannel.get());
}

TEST_F(Sfx, LoadingJinglePlaysAndStopsOnItsChannel) {
    SFX::PlayLoading();
    auto* jingle = dynamic_cast<RecordedChannel*>(SFX::LoadingChannel.get());
    ASSERT_NE(jingle, nullptr);
    EXPECT_EQ(jingle->sound, SFX::Loading.get());
    EXPECT_EQ(jingle->mode, Mode::PLAYING);
    std::shared_ptr<TChannel> held = SFX::LoadingChannel;
    SFX::StopLoading();
    EXPECT_EQ(jingle->mode, Mode::STOPPED);
    EXPECT_EQ(SFX::LoadingChannel, nullptr);
    driver_->Clear();
    SFX::StopLoading();
    EXPECT_TRUE(driver_->Calls().empty());
}

TEST_F(Sfx, PlayMusicCuesSetsTheVolumeThenStarts) {
    cfgMusic = 2;
    SFX::PlayMusic(9);
    const AudioLog& calls = driver_->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].op, "cue");
    EXPECT_EQ(calls[0].sound, SFX::MusicTitle.get());
    EXPECT_EQ(calls[1].op, "volume");
    EXPECT_FLOAT_EQ(calls[1].value, 0.24f);
    EXPECT_EQ(calls[2].op, "resume");
    EXPECT_EQ(calls[0].channel, calls[2].channel);
    EXPECT_EQ(SFX::CurrentMusic, SFX::MusicTitle.get());
    EXPECT_EQ(Music()->mode, Mode::PLAYING);
    // The idle start-up channel is not reused: the cue made a new one.
    EXPECT_NE(SFX::MusicChannel, idleMusic_);
}

TEST_F(Sfx, TrackNumbersPickTheirMusic) {
    const std::pair<int, TSound*> tracks[] = {
        {-1, SFX::MusicChase.get()}, {0, SFX::MusicTrack1.get()}, {1, SFX::MusicTrack2.get()},
        {2, SFX::MusicTrack3.get()}, {3, SFX::MusicTrack4.get()}, {9, SFX::MusicTitle.get()}};
    RecordedChannel* before = nullptr;
    for (auto [track, sound] : tracks) {
        SFX::PlayMusic(track);
        EXPECT_EQ(Music()->sound, sound) << track;
        EXPECT_EQ(Music()->mode, Mode::PLAYING) << track;
        EXPECT_EQ(SFX::CurrentMusic, sound) << track;
        if (before) {
            EXPECT_EQ(before->mode, Mode::STOPPED) << "the track before " << track;
        }
        before = Music();
    }
    // Another number picks nothing; the title keeps being the chosen track.
    SFX::PlayMusic(5);
    EXPECT_EQ(SFX::CurrentMusic, SFX::MusicTitle.get());
    EXPECT_EQ(Music()->sound, SFX::MusicTitle.get());
}

TEST_F(Sfx, TheSameTrackAgainStartsFromTheBeginning) {
    RecordedChannel* first = Start(1);
    SFX::PlayMusic(1);
    EXPECT_EQ(first->mode, Mode::STOPPED);
    ASSERT_EQ(driver_->Calls("cue").size(), 1u);
    EXPECT_EQ(driver_->Calls("cue")[0].sound, SFX::MusicTrack2.get());
    EXPECT_NE(Music(), first);
}

TEST_F(Sfx, MusicStepsOnlyChangeTheVolume) {
    RecordedChannel* music = Start(0);
    const float volumes[] = {0.12f, 0.24f, 0.36f, 0.5f};
    for (int step = 1; step <= 4; ++step) {
        cfgMusic = step;
        SFX::SetMusicVolume();
        EXPECT_EQ(Music(), music);
        EXPECT_FLOAT_EQ(music->volume, volumes[step - 1]);
        EXPECT_EQ(music->mode, Mode::PLAYING);
    }
    EXPECT_TRUE(driver_->Calls("cue").empty());
    // A step beyond 4 keeps the volume it had...
    cfgMusic = 7;
    SFX::SetMusicVolume();
    EXPECT_FLOAT_EQ(music->volume, 0.5f);
    // ...and a track cued at it plays at full channel volume.
    SFX::PlayMusic(9);
    EXPECT_FLOAT_EQ(Music()->volume, 1.0f);
    EXPECT_EQ(Music()->mode, Mode::PLAYING);
}

TEST_F(Sfx, MusicOffAndOnAgainRestartsTheTrack) {
    cfgMusic = 3;
    RecordedChannel* music = Start(9);
    cfgMusic = 0;
    SFX::SetMusicVolume();
    EXPECT_EQ(music->mode, Mode::STOPPED);
    EXPECT_EQ(SFX::MusicChannel, nullptr);
    // Requests are ignored while music is off.
    SFX::PlayMusic(0);
    EXPECT_TRUE(driver_->Calls("cue").empty());
    EXPECT_EQ(SFX::CurrentMusic, SFX::MusicTitle.get());

    cfgMusic = 2;
    SFX::SetMusicVolume();
    ASSERT_NE(Music(), nullptr);
    EXPECT_EQ(Music()->sound, SFX::MusicTitle.get());
    EXPECT_EQ(Music()->mode, Mode::PLAYING);
    EXPECT_FLOAT_EQ(Music()->volume, 0.24f);
    EXPECT_EQ(driver_->Calls("cue").size(), 1u);
}

TEST_F(Sfx, MusicOffFromStartUpStaysSilentUntilTheNextTrack) {
    cfgMusic = 0;
    SFX::PlayMusic(9);
    EXPECT_TRUE(driver_->Calls().empty());
    EXPECT_EQ(SFX::CurrentMusic, nullptr);
    EXPECT_EQ(SFX::MusicChannel, idleMusic_);

    cfgMusic = 1;
    SFX::SetMusicVolume();
    EXPECT_TRUE(driver_->Calls("cue").empty());
    EXPECT_FALSE(SFX::MusicChannel->Playing());

    SFX::PlayMusic(9);
    EXPECT_EQ(Music()->sound, SFX::MusicTitle.get());
    EXPECT_EQ(Music()->mode, Mode::PLAYING);
    EXPECT_FLOAT_EQ(Music()->volume, 0.12f);
}

TEST_F(Sfx, PauseAndResumeKeepTheSameChannel) {
    RecordedChannel* music = Start(2);
    SFX::PauseMusic();
    EXPECT_EQ(music->mode, Mode::PAUSED);
    // A paused track is not playing, so stopping leaves it be.
    SFX::StopMusic();
    EXPECT_EQ(Music(), music);
    EXPECT_EQ(music->mode, Mode::PAUSED);
    SFX::ResumeMusic();
    EXPECT_EQ(music->mode, Mode::PLAYING);
    EXPECT_TRUE(driver_->Calls("cue").empty());
    EXPECT_TRUE(driver_->Calls("stop").empty());

    SFX::StopMusic();
    EXPECT_EQ(SFX::MusicChannel, nullptr);
    driver_->Clear();
    SFX::PauseMusic();
    SFX::ResumeMusic();
    SFX::StopMusic();
    EXPECT_TRUE(driver_->Calls().empty());
}

TEST_F(Sfx, EndingTheGameFromThePauseLeavesTheStageTrackBehind) {
    RecordedChannel* stageMusic = Start(0);
    // Held here so the channel the manager drops can still be looked at.
    std::shared_ptr<TChannel> stage = SFX::MusicChannel;
    SFX::PauseMusic();
    SFX::PlayMusic(9);
    SFX::ResumeMusic();  // the pause screen's Finish
    EXPECT_EQ(Music()->sound, SFX::MusicTitle.get());
    EXPECT_EQ(Music()->mode, Mode::PLAYING);
    EXPECT_EQ(stageMusic->mode, Mode::PAUSED);
}

// A title track that failed to load must not bring the paused stage track back.
TEST_F(Sfx, AMissingTrackIsSilentAndResumesNothing) {
    SFX::MusicTitle.reset();
    Start(0);
    std::shared_ptr<TChannel> stage = SFX::MusicChannel;
    SFX::PauseMusic();
    SFX::PlayMusic(9);
    SFX::ResumeMusic();
    EXPECT_EQ(SFX::MusicChannel, nullptr);
    EXPECT_EQ(SFX::CurrentMusic, nullptr);
    EXPECT_FALSE(stage->Playing());
    cfgMusic = 2;
    SFX::SetMusicVolume();
    EXPECT_EQ(SFX::MusicChannel, nullptr);
    EXPECT_TRUE(driver_->Calls("cue").empty());
    SFX::Play(nullptr);
    EXPECT_TRUE(driver_->Calls("play").empty());
}

// Each named file gets one of the small test sounds, so a slot reading the wrong file shows.
TEST(SfxLoad, EverySoundComesFromItsFileOnOpenAL) {
    const char* fixtures[] = {"tone.ogg", "chord.ogg", "blip.ogg", "noise.ogg"};
    std::vector<std::vector<std::uint8_t>> bytes;
    for (const char* f : fixtures) bytes.push_back(ReadAudioFixture(f));
    std::vector<std::string> files;
    for (const Slot& s : Slots())
        if (std::find(files.begin(), files.end(), s.file) == files.end()) files.push_back(s.file);
    // Every file under assets/sounds once.
    std::size_t shipped = 0;
    for (const auto& f : std::filesystem::directory_iterator(kSoundsDir))
        shipped += f.path().extension() == ".ogg";
    ASSERT_EQ(files.size(), shipped);
    auto fixtureOf = [&](const std::string& file) {
        return static_cast<std::size_t>(std::find(files.begin(), files.end(), file) -
                                        files.begin()) %
               4;
    };
    ClearIncbins();
    for (const std::string& f : files) {
        const auto& b = bytes[fixtureOf(f)];
        RegisterIncbin("../assets/sounds/" + f, b.data(), b.size());
    }
    SetAudioDriver(CreateOpenALDriver());
    ASSERT_EQ(AudioDriver().Name(), "OpenAL");
    SFX::Reset();
    SFX::Load();
    for (const Slot& s : Slots()) {
        ASSERT_NE(s.sound, nullptr) << s.file;
        std::vector<std::int16_t> pcm;
        int hertz = 0, format = 0;
        ASSERT_TRUE(ReadOpenALSound(*s.sound, pcm, hertz, format));
        auto expected = LoadAudioSample(AudioFixture(fixtures[fixtureOf(s.file)]));
        EXPECT_EQ(pcm, expected->samples) << s.file;
    }
    EXPECT_NE(SFX::MusicTrack4, SFX::MusicTrack2);

    cfgSound = 1;
    cfgMusic = 1;
    SFX::PlayLoading();
    EXPECT_TRUE(SFX::LoadingChannel->Playing());
    SFX::StopLoading();
    SFX::PlayMusic(9);
    EXPECT_TRUE(SFX::MusicChannel->Playing());
    SFX::PauseMusic();
    EXPECT_FALSE(SFX::MusicChannel->Playing());
    SFX::ResumeMusic();
    EXPECT_TRUE(SFX::MusicChannel->Playing());

    SFX::Reset();
    ShutdownAudio();
    ClearIncbins();
    ResetConfig();
}

// The shipped sounds, when this build embeds them: every one decodes, and the parallel load
// holds exactly what a plain one-by-one decode gives.
TEST(SfxLoad, ShippedSoundsLoadIdenticalToASequentialDecode) {
    ClearIncbins();
    RegisterEmbeddedAssets();
    for (const Slot& s : Slots())
        if (!FindIncbin("../assets/sounds/" + s.file)) {
            ClearIncbins();
            GTEST_SKIP() << s.file << " is not embedded in this build";
        }
    SetAudioDriver(CreateOpenALDriver());
    ASSERT_EQ(AudioDriver().Name(), "OpenAL");
    SFX::Reset();
    SFX::Load();
    for (const Slot& s : Slots()) {
        ASSERT_NE(s.sound, nullptr) << s.file;
        std::vector<std::int16_t> pcm;
        int hertz = 0, format = 0;
        ASSERT_TRUE(ReadOpenALSound(*s.sound, pcm, hertz, format));
        auto expected = LoadAudioSample("incbin::../assets/sounds/" + s.file);
        ASSERT_NE(expected, nullptr) << s.file;
        EXPECT_EQ(hertz, expected->hertz) << s.file;
        EXPECT_EQ(format, expected->format) << s.file;
        EXPECT_TRUE(pcm == expected->samples) << s.file;
    }
    SFX::Reset();
    ShutdownAudio();
    ClearIncbins();
}

constexpr int kLoud = 300;

// The median peak of the middle of each third of the loud part of a mix.
std::vector<int> ThirdsLevels(const std::vector<int>& peaks) {
    std::vector<int> loud;
    for (int p : peaks)
        if (p >= kLoud) loud.push_back(p);
    std::vector<int> levels;
    const std::size_t third = loud.size() / 3;
    for (std::size_t t = 0; t < 3 && third >= 6; ++t) {
        std::vector<int> mid(loud.begin() + t * third + third / 4,
                             loud.begin() + t * third + third * 3 / 4);
        std::nth_element(mid.begin(), mid.begin() + mid.size() / 2, mid.end());
        levels.push_back(mid[mid.size() / 2]);
    }
    return levels;
}

// What is heard, on OpenAL's loopback mixer moved on by exact amounts.
TEST(SfxWave, MusicStepsScaleWhatIsHeard) {
    LoopbackMix mix;
    SFX::Reset();
    SFX::Load();
    SFX::MusicTitle = LoadStream(AudioFixture("tone.ogg"), SOUND_LOOP);  // as the game plays music
    cfgMusic = 4;
    SFX::PlayMusic(SFX::MUSIC_TITLE);
    ASSERT_TRUE(mix.MixFor(300));
    cfgMusic = 1;
    SFX::SetMusicVolume();
    mix.MixFor(300);
    cfgMusic = 3;
    SFX::SetMusicVolume();
    mix.MixFor(300);
    SFX::Reset();
    std::vector<int> levels = ThirdsLevels(WindowPeaks(mix.pcm));
    ASSERT_EQ(levels.size(), 3u);
    // The steps' volumes 0.5, 0.12 and 0.36.
    EXPECT_NEAR(double(levels[1]) / levels[0], 0.24, 0.03);
    EXPECT_NEAR(double(levels[2]) / levels[0], 0.72, 0.06);
    ResetConfig();
    ClearIncbins();
}

TEST(SfxWave, EffectsAreSilentWithSoundOff) {
    LoopbackMix mix;
    auto tone = LoadSound(AudioFixture("tone.ogg"));
    cfgSound = 0;
    SFX::Play(tone);
    ASSERT_TRUE(mix.MixFor(300));
    cfgSound = 1;
    SFX::Play(tone);
    mix.MixFor(700);
    std::vector<int> peaks = WindowPeaks(mix.pcm);
    int first = -1, loud = 0;
    for (std::size_t i = 0; i < peaks.size(); ++i)
        if (peaks[i] >= kLoud) {
            if (first < 0) first = static_cast<int>(i);
            ++loud;
        }
    // Nothing in the first 300 ms; then the one tone, whole.
    EXPECT_EQ(first, 30);
    EXPECT_NEAR(loud, 50, 1);
    ResetConfig();
}

}  // namespace
