#include "shell/sfx.h"

#include <string>
#include <vector>

#include "shell/settings.h"
#include "toolkit/menu_item.h"
#include "toolkit/resets.h"

namespace {

struct SoundFile {
    std::unique_ptr<TSound> SFXState::*slot;
    const char* file;
    int flags;
};

// Effects are short and many may start in one frame: they are decoded once, at start-up. The
// music loops, and a minute of it is 10 MB of sound decoded: it is played straight from its file,
// a little ahead of the mixer.
constexpr int STREAMED = 1 << 8;

// In loading order. The fourth stage track plays the second one's music again as a sound of
// its own.
const SoundFile kSounds[] = {
    {&SFXState::Loading, "loading.ogg", 0},
    {&SFXState::GemCollect, "gem_collect.ogg", 0},
    {&SFXState::EnemyPoof, "enemy_poof.ogg", 0},
    {&SFXState::CoinBounce, "coin_bounce.ogg", 0},
    {&SFXState::CoinGot, "coin_got.ogg", 0},
    {&SFXState::PlayerJump, "player_jump.ogg", 0},
    {&SFXState::UI1, "ui1.ogg", 0},
    {&SFXState::UI2, "ui2.ogg", 0},
    {&SFXState::PlayerDie, "player_die.ogg", 0},
    {&SFXState::MusicChase, "music_chase.ogg", SOUND_LOOP | STREAMED},
    {&SFXState::MusicTrack1, "music_track1.ogg", SOUND_LOOP | STREAMED},
    {&SFXState::MusicTrack2, "music_track2.ogg", SOUND_LOOP | STREAMED},
    {&SFXState::MusicTrack3, "music_track3.ogg", SOUND_LOOP | STREAMED},
    {&SFXState::MusicTrack4, "music_track2.ogg", SOUND_LOOP | STREAMED},
    {&SFXState::MusicTitle, "music_title.ogg", SOUND_LOOP | STREAMED},
};

std::string SourceOf(const SoundFile& s) {
    return std::string("incbin::../assets/sounds/") + s.file;
}

}  // namespace

void SFX::ConnectMenus() {
    TMenuItem::context = {[] { SFX::Play(SFX::UI1); }, [] { SFX::Play(SFX::UI2); }, &cfgJoyAction};
}

void SFX::Load() {
    RegisterReset(&SFX::Reset);
    ConnectMenus();
    MusicChannel = AllocChannel();
    LoadingChannel = AllocChannel();
    std::vector<TSoundRequest> decoded;
    for (const SoundFile& s : kSounds)
        if (s.flags & STREAMED)
            state_.*s.slot = LoadStream(SourceOf(s), s.flags & ~STREAMED);
        else
            decoded.push_back({SourceOf(s), s.flags});
    // One thread: the effects are small, and the display opens on the other core meanwhile.
    std::vector<std::unique_ptr<TSound>> sounds = LoadSounds(decoded, 1);
    std::size_t next = 0;
    for (const SoundFile& s : kSounds)
        if (!(s.flags & STREAMED)) state_.*s.slot = std::move(sounds[next++]);
}

void SFX::Reset() {
    state_ = SFXState{};
}

void SFX::Play(TSound* sound) {
    if (cfgSound == 0 || !sound) return;
    PlaySound(sound);
}

void SFX::PlayLoading() {
    if (cfgSound == 0 || !Loading) return;
    LoadingChannel = PlaySound(Loading.get());
}

void SFX::StopLoading() {
    if (cfgSound == 0 || !LoadingChannel) return;
    StopChannel(LoadingChannel.get());
    LoadingChannel = nullptr;
}

TSound* SFX::Track(int track) {
    switch (track) {
        case MUSIC_CHASE:
            return MusicChase.get();
        case 0:
            return MusicTrack1.get();
        case 1:
            return MusicTrack2.get();
        case 2:
            return MusicTrack3.get();
        case 3:
            return MusicTrack4.get();
        case MUSIC_TITLE:
            return MusicTitle.get();
        default:
            return nullptr;
    }
}

float SFX::MusicVolume(int step) {
    switch (step) {
        case 1:
            return 0.12f;
        case 2:
            return 0.24f;
        case 3:
            return 0.36f;
        case 4:
            return 0.5f;
        default:
            return -1;
    }
}

void SFX::PlayMusic(int track) {
    if (cfgMusic == 0) return;
    StopMusic();
    const bool listed = track == MUSIC_CHASE ||
                        (track >= MUSIC_STAGE_FIRST && track <= MUSIC_STAGE_LAST) ||
                        track == MUSIC_TITLE;
    if (listed) {
        // A track whose file did not load cues nothing and leaves no channel, so it stays
        // silent rather than bringing back a paused one.
        TSound* sound = Track(track);
        MusicChannel = CueSound(sound);
        CurrentMusic = sound;
    }
    SetMusicVolume();
}

void SFX::SetMusicVolume() {
    if (cfgMusic == 0) {
        StopMusic();
        return;
    }
    if (cfgMusic > 0 && !MusicChannel) MusicChannel = CueSound(CurrentMusic);
    const float volume = MusicVolume(cfgMusic);
    if (volume >= 0) SetChannelVolume(MusicChannel.get(), volume);
    if (MusicChannel) ResumeChannel(MusicChannel.get());
}

void SFX::PauseMusic() {
    if (MusicChannel && MusicChannel->Playing()) PauseChannel(MusicChannel.get());
}

void SFX::ResumeMusic() {
    if (MusicChannel) ResumeChannel(MusicChannel.get());
}

void SFX::StopMusic() {
    if (!MusicChannel || !MusicChannel->Playing()) return;
    StopChannel(MusicChannel.get());
    MusicChannel = nullptr;
}
