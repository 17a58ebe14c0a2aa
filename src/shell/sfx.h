#pragma once
// Every sound of the game and the two channels it keeps. Everything else plays sound through
// these functions, which apply the player's settings: effects are silent while cfgSound is 0,
// music while cfgMusic is 0, and otherwise plays at one of four volume steps.

#include <memory>
#include <span>

#include "engine/audio.h"

// One row of the sound table, shell/sounds.def, with the slot it fills.
struct SFXSound {
    enum PlayMode { ONCE, LOOP };
    enum LoadMode { DECODED, STREAMED };
    std::unique_ptr<TSound>& sound;
    const char* slot;  // "GemCollect"
    const char* file;  // "gem_collect.ogg", under ../assets/sounds/
    PlayMode play;
    LoadMode load;
};

// The class-level globals of SFX with their values before SFX::Load, in one place so that
// SFX::Reset cannot miss one.
struct SFXState {
    std::shared_ptr<TChannel> MusicChannel;
    std::shared_ptr<TChannel> LoadingChannel;
// One slot a row of the sound table.
#define SOUND(slot, file, play, load) std::unique_ptr<TSound> slot;
#include "shell/sounds.def"
#undef SOUND
    // The last track PlayMusic chose; one of the sounds above.
    TSound* CurrentMusic = nullptr;
};

class SFX {
    static inline SFXState state_;

  public:
    static inline std::shared_ptr<TChannel>& MusicChannel = state_.MusicChannel;
    static inline std::shared_ptr<TChannel>& LoadingChannel = state_.LoadingChannel;
// SFX::Loading, SFX::GemCollect, ... SFX::MusicTitle: the rows of the sound table.
#define SOUND(slot, file, play, load) static inline std::unique_ptr<TSound>& slot = state_.slot;
#include "shell/sounds.def"
#undef SOUND
    static inline TSound*& CurrentMusic = state_.CurrentMusic;

    // The rows of the sound table in loading order, each with its slot.
    static std::span<const SFXSound> Sounds();
    // Start-up: the two idle channels, then every sound of the table from the embedded files: the
    // DECODED rows decoded whole, the STREAMED rows opened to be streamed as they play. A sound
    // whose file is missing or does not decode stays null, and every function below skips it
    // without a sound.
    static void Load();
    // Every global back to its value before Load (tests).
    static void Reset();
    // Hands the menus the game's two interface sounds (step, choose) and the pad's bound choose
    // button; Load does it.
    static void ConnectMenus();

    // An effect on a new channel that is not kept; nothing while cfgSound is 0.
    static void Play(TSound* sound);
    static void Play(const std::unique_ptr<TSound>& sound) {
        Play(sound.get());
    }
    // The loading jingle on LoadingChannel; nothing while cfgSound is 0.
    static void PlayLoading();
    static void StopLoading();
    // The music tracks PlayMusic takes: the chase, the four stage themes, the title music.
    static constexpr int MUSIC_CHASE = -1;
    static constexpr int MUSIC_STAGE_FIRST = 0;
    static constexpr int MUSIC_STAGE_LAST = 3;
    static constexpr int MUSIC_TITLE = 9;

    // Switches to a track: MUSIC_CHASE, a stage theme (MUSIC_STAGE_FIRST to MUSIC_STAGE_LAST) or
    // MUSIC_TITLE. A track that is already playing starts again from its beginning. Nothing while
    // cfgMusic is 0.
    static void PlayMusic(int track);
    // Applies cfgMusic: 0 stops the music, 1 to 4 set its volume step and keep it playing (a
    // stopped track starts again from its beginning).
    static void SetMusicVolume();
    static void PauseMusic();
    static void ResumeMusic();
    // Stops the music if it is playing and drops its channel; a paused track is left as it is.
    static void StopMusic();

    // The sound of a track number; null for numbers without one.
    static TSound* Track(int track);
    // Channel volume of a music step; negative for a step that leaves the volume as it is.
    static float MusicVolume(int step);
};
