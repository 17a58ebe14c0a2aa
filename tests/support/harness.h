#pragma once
// Runs the real start-up and frame loop headless: a recording render driver, a manual clock, a
// private settings folder and input posted through the same handler the platform feeds. Whole
// flows are scripted as a player would play them.

#include <string>

#include "support/manual_clock.h"
#include "support/notify_sink.h"
#include "support/recording_driver.h"
#include "support/temp_dir.h"

struct HarnessOptions {
    int desktopWidth = 1024;
    int desktopHeight = 768;
    // Written as the settings file before start-up; empty leaves the folder empty (first run).
    std::string settingsFile;
};

class Harness {
  public:
    explicit Harness(const HarnessOptions& options = {});
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // One pass of the main loop per frame: update, render, close check.
    void RunFrames(int frames);
    // Runs frames until the game clock has moved on by at least ms.
    void RunFor(int ms);
    void Press(int key);
    void Release(int key);
    // Presses, runs the frames, releases.
    void Hold(int key, int frames);
    void Type(const std::string& text);
    std::string ActiveScreen() const;
    std::string SettingsPath() const { return profile.File("gem_config.ini"); }

    TempDir profile;
    ManualClock clock;
    RecordingNotifySink notes;
    RecordingDriver driver;
};
