#include "shell/sfx.h"

#include <string>
#include <vector>

#include "shell/settings.h"
#include "toolkit/menu_item.h"
#include "toolkit/resets.h"

namespace {
std::string SourceOf(const SFXSound& s) {
    return std::string("incbin::../assets/sounds/") + s.file;
}

int FlagsOf(const SFXSound& s) {
    return s.play == SFXSound::LOOP ? SOUND_LOOP : 0;
}
}  // namespace

void SFX::ConnectMenus() {
    TMenuItem::context = {[] { SFX::Play(SFX::UI1); }, [] { SFX::Play(SFX::UI2); }, &cfgJoyAction};
}

std::span<const SFXSound> SFX::Sounds() {
    static const SFXSound table[] = {
#define SOUND(slot, file, play, load) {slot, #slot, file, SFXSound::play, SFXSound::load},
#include "shell/sounds.def"
#undef SOUND
    };
    return table;
}

void SFX::Load() {
    RegisterReset(&SFX::Reset);
    ConnectMenus();
    MusicChannel = AllocChannel();
    LoadingChannel = AllocChannel();
    std::vector<TSoundRequest> decoded;
    for (const SFXSound& s : Sounds())
        if (s.load == SFXSound::STREAMED)
            s.sound = LoadStream(SourceOf(s), FlagsOf(s));
        else
            decoded.push_back({SourceOf(s), FlagsOf(s)});
    // One thread: the effects are small, and the display opens on the other core meanwhile.
    std::vector<std::unique_ptr<TSound>> sounds = LoadSounds(decoded, 1);
    std::size_t next = 0;
    for (const SFXSound& s : Sounds())
        if (s.load == SFXSound::DECODED) s.sound = std::move(sounds[next++]);
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
