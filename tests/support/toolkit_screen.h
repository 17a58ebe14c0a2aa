#pragma once
// What the toolkit draws on and with, built without starting the game: the game's window open
// on a recording driver, and the game font cut from the embedded atlas.

#include <memory>

#include "support/notify_sink.h"
#include "support/recording_driver.h"

class AtlasTile;

// The game's 1024 x 768 window showing the 256 x 192 virtual screen, four window pixels to a
// virtual one and no bars, open on a recording driver for the object's lifetime. Notify's
// messages are recorded rather than shown.
class RecordedWindow {
  public:
    RecordedWindow();
    ~RecordedWindow();
    RecordedWindow(const RecordedWindow&) = delete;
    RecordedWindow& operator=(const RecordedWindow&) = delete;

    RecordingNotifySink notes;
    RecordingDriver driver;
};

// The embedded files registered, the atlas read into atlasFile and the game font cut from it into
// gameFont, for the object's lifetime; afterwards all three are gone again. Needs a window.
class EmbeddedFont {
  public:
    EmbeddedFont();
    ~EmbeddedFont();
    EmbeddedFont(const EmbeddedFont&) = delete;
    EmbeddedFont& operator=(const EmbeddedFont&) = delete;

    std::unique_ptr<AtlasTile> glyphs;
};
