#pragma once
// Every sound of the game and the two channels it keeps. Everything else plays sound through
// these functions, which apply the player's settings: effects are silent while cfgSound is 0,
// music while cfgMusic is 0, and otherwise plays at one of four volume steps.

#include <memory>

#include "engine/audio.h"

// The class-level globals of SFX with their values before SFX::Load, in one place so that
// SFX::Reset cannot miss one.
struct SFXState {
    std::shared_ptr<TChannel> MusicChannel;
    std::shared_ptr<TChannel> LoadingChannel;
    std::unique_ptr<TSound> Loading;
    std::unique_ptr<TSound> GemCollect;
    std::unique_ptr<TSound> EnemyPoof;
    std::unique_ptr<TSound> CoinBounce;
    std::unique_ptr<TSound> CoinGot;
    std::unique_ptr<TSound> PlayerJump;
    std::unique_ptr<TSound> UI1;
    std::unique_ptr<TSound> UI2;
    std::unique_ptr<TSound> PlayerDie;
    std::unique_ptr<TSound> MusicChase;
    std::unique_ptr<TSound> MusicTrack1;
    std::unique_ptr<TSound> MusicTrack2;
    std::unique_ptr<TSound> MusicTrack3;
    std::unique_ptr<TSound> MusicTrack4;
    std::unique_ptr<TSound> MusicTitle;
    // The last track PlayMusic chose; one of the sounds above.
    TSound* CurrentMusic = nullptr;
};

class SFX {
    static inline SFXState state_;

  public:
    static inline std::shared_ptr<TChannel>& MusicChannel = state_.MusicChannel;
    static inline std::shared_ptr<TChannel>& LoadingChannel = state_.LoadingChannel;
    static inline std::unique_ptr<TSound>& Loading = state_.Loading;
    static inline std::unique_ptr<TSound>& GemCollect = state_.GemCollect;
    static inline std::unique_ptr<TSound>& EnemyPoof = state_.EnemyPoof;
    static inline std::unique_ptr<TSound>& CoinBounce = state_.CoinBounce;
    static inline std::unique_ptr<TSound>& CoinGot = state_.CoinGot;
    static inline std::unique_ptr<TSound>& PlayerJump = state_.PlayerJump;
    static inline std::unique_ptr<TSound>& UI1 = state_.UI1;
    static inline std::unique_ptr<TSound>& UI2 = state_.UI2;
    static inline std::unique_ptr<TSound>& PlayerDie = state_.PlayerDie;
    static inline std::unique_ptr<TSound>& MusicChase = state_.MusicChase;
    static inline std::unique_ptr<TSound>& MusicTrack1 = state_.MusicTrack1;
    static inline std::unique_ptr<TSound>& MusicTrack2 = state_.MusicTrack2;
    static inline std::unique_ptr<TSound>& MusicTrack3 = state_.MusicTrack3;
    static inline std::unique_ptr<TSound>& MusicTrack4 = state_.MusicTrack4;
    static inline std::unique_ptr<TSound>& MusicTitle = state_.MusicTitle;
    static inline TSound*& CurrentMusic = state_.CurrentMusic;

    // Start-up: the two idle channels, then every sound of the table from the embedded files: the
    // effects decoded on all cores, the music opened to be streamed as it plays. A sound whose
    // file is missing or does not decode stays null, and every function below skips it without a
    // sound.
    static void Load();
    // Every global back to its value before Load (tests).
    static void Reset();
    // Hands the menus the game's two interface sounds (step, choose) and the pad's bound choose
    // button; Load does it.
    static void ConnectMenus();

    // An effect on a new channel that is not kept; nothing while cfgSound is 0.
    static void Play(TSound* sound);
    static void Play(const std::unique_ptr<TSound>& sound) { Play(sound.get()); }
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
