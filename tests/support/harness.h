#pragma once
// Runs the real start-up and frame loop headless: a recording render driver, a manual clock, a
// private settings folder and input posted through the same handler the platform feeds. Whole
// flows are scripted as a player would play them.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/manual_clock.h"
#include "support/notify_sink.h"
#include "support/recording_driver.h"
#include "support/temp_dir.h"

class AudioRecordingDriver;

struct HarnessOptions {
    // A desktop with room for the 1024 x 768 window and its title bar.
    int desktopWidth = 1920;
    int desktopHeight = 1080;
    // Written as the settings file before start-up; empty leaves the folder empty (first run)
    // unless `settings` names values.
    std::string settingsFile;
    // When settingsFile is empty and this is not: the default settings file with these values
    // by key ("Stage Time" -> 3).
    std::map<std::string, int> settings;
    // Embedded files replaced for this run, by registered name ("../assets/stage.dat") -> bytes.
    std::map<std::string, std::string> files;
    // The random seed start-up begins with, so enemies do not depend on what ran before.
    int seed = 1;
    // Every sound goes to a recording audio driver instead of OpenAL.
    bool recordAudio = false;
    // Every sound goes to the silent driver instead of OpenAL.
    bool silentAudio = false;
};

// One text drawn in the game font: its glyphs in order, where the first one went and its colour.
struct DrawnText {
    std::string text;
    float x = 0;
    float y = 0;
    int r = 255, g = 255, b = 255;
    int style = 0;
};

class Harness {
  public:
    explicit Harness(const HarnessOptions& options = {});
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // One pass of the main loop per frame: update, render, close check. The driver keeps the
    // draw calls of the last frame only.
    void RunFrames(int frames);
    // Runs frames until the game clock has moved on by at least ms.
    void RunFor(int ms);
    void Press(int key);
    void Release(int key);
    // Presses, runs the frames, releases.
    void Hold(int key, int frames);
    // Presses, runs one frame, releases: one hit.
    void Tap(int key);
    void Type(const std::string& text);
    std::string ActiveScreen() const;
    std::string SettingsPath() const { return profile.File("gem_config.ini"); }

    // The game-font texts drawn in the last frame, in drawing order.
    std::vector<DrawnText> Texts() const;
    // Whether the last frame drew exactly this text.
    bool Drew(const std::string& text) const;

    // Names of the effects played ("gem_collect", ...) and of the music tracks cued
    // ("music_title", ...) since the last call; needs recordAudio.
    std::vector<std::string> SoundsPlayed();
    std::vector<std::string> MusicCued();

    // From the title menu: PLAY, then the ready screen's action after its half second. Returns on
    // the frame in which the ready screen took the action (the stage is loaded, curtains closed).
    void StartGame();
    // Runs until the curtains are open and the player has walked in.
    void RunUntilPlaying();

    TempDir profile;
    ManualClock clock;
    RecordingNotifySink notes;
    RecordingDriver driver;
    // The recording audio driver, when recordAudio was asked for; owned by the audio layer.
    AudioRecordingDriver* audio = nullptr;

  private:
    std::vector<std::string> Names(const char* op);
    std::map<std::string, std::string> files_;
    std::size_t audioSeen_[2] = {0, 0};
};

// The settings file with the defaults, and any values given by key replaced.
std::string SettingsFileWith(const std::map<std::string, int>& values);
