#include "support/harness.h"

#include <stdlib.h>

#include <fstream>
#include <utility>

#include "actors/player.h"
#include "engine/audio.h"
#include "engine/input.h"
#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/stream.h"
#include "shell/image.h"
#include "shell/screen_manager.h"
#include "shell/sfx.h"
#include "support/audio_recording_driver.h"
#include "support/fake_input.h"
#include "toolkit/anim.h"
#include "toolkit/bitmap_font.h"
#include "top/game.h"
#include "world/stage_actual.h"

namespace {
const std::pair<const char*, int> kDefaultSettings[] = {
    {"Music", 2},       {"Sound", 1},       {"ScanLines", 1},    {"Fullscreen", 1},
    {"Keys Left", 65},  {"Keys Right", 68}, {"Keys Action", 32}, {"Keys Pause", 27},
    {"Joy Action", 0},  {"Joy Pause", 7},   {"Player Lives", 3}, {"Stage Start", 0},
    {"Stage Final", 4}, {"Stage Time", 25},
};

// A slot's name in snake case, the sound's name in tests: "GemCollect" is "gem_collect", "UI1"
// "ui1", "MusicTrack4" "music_track4" (every sound's file name but for a second sound of a file).
std::string SnakeCase(const std::string& slot) {
    std::string name;
    for (std::size_t i = 0; i < slot.size(); ++i) {
        const char c = slot[i];
        const bool capital = c >= 'A' && c <= 'Z';
        if (capital && i > 0 &&
            ((slot[i - 1] >= 'a' && slot[i - 1] <= 'z') ||
             (slot[i - 1] >= '0' && slot[i - 1] <= '9')))
            name += '_';
        name += capital ? char(c - 'A' + 'a') : c;
    }
    return name;
}

// The game's sounds by their names in tests, from the sound table.
std::vector<std::pair<const TSound*, std::string>> SoundNames() {
    std::vector<std::pair<const TSound*, std::string>> names;
    for (const SFXSound& s : SFX::Sounds()) names.emplace_back(s.sound.get(), SnakeCase(s.slot));
    return names;
}

// The glyph frame of the game font drawn from page position (sx, sy), or -1.
int GlyphAt(float sx, float sy) {
    if (!Image::Font) return -1;
    for (const auto& [name, corner] : Image::Font->frameData)
        if (float(corner[0]) == sx && float(corner[1]) == sy) return std::stoi(name);
    return -1;
}
}  // namespace

std::string SettingsFileWith(const std::map<std::string, int>& values) {
    std::string file;
    for (const auto& [key, fallback] : kDefaultSettings) {
        auto it = values.find(key);
        file += std::string(key) + "=" +
                std::to_string(it == values.end() ? fallback : it->second) + "\r\n";
    }
    return file;
}

Harness::Harness(const HarnessOptions& options)
    : clock(1000), driver(options.desktopWidth, options.desktopHeight), files_(options.files) {
    setenv("USERPROFILE", profile.Path().c_str(), 1);
    std::string settings = options.settingsFile;
    if (settings.empty() && !options.settings.empty())
        settings = SettingsFileWith(options.settings);
    if (!settings.empty()) {
        std::ofstream out(SettingsPath(), std::ios::binary);
        out << settings;
    }
    ResetInput();
    ResetGraphicsState();
    SeedRnd(options.seed);
    if (options.recordAudio) audio = &InstallRecordingAudioDriver();
    if (options.silentAudio) SetAudioDriver(CreateNullAudioDriver());
    // The first registration of a name wins, so these go in before the built-in files.
    for (const auto& [name, bytes] : files_)
        RegisterIncbin(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    StartupOptions startup;
    startup.driver = &driver;
    Startup(startup);
}

Harness::~Harness() {
    ShutdownGame();
    SetGraphicsDriver(nullptr);
    ResetGraphicsState();
    DetachAllJoysticks();
    ResetInput();
    unsetenv("USERPROFILE");
}

void Harness::RunFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        driver.Clear();
        RunFrame();
    }
}

void Harness::RunFor(int ms) {
    int until = GameMilliSecs() + ms;
    while (GameMilliSecs() < until) RunFrames(1);
}

void Harness::Press(int key) {
    PostInputEvent({InputEvent::KEY_DOWN, key});
}
void Harness::Release(int key) {
    PostInputEvent({InputEvent::KEY_UP, key});
}

void Harness::Hold(int key, int frames) {
    Press(key);
    RunFrames(frames);
    Release(key);
}

void Harness::Tap(int key) {
    Hold(key, 1);
}

void Harness::Type(const std::string& text) {
    TypeText(text);
}

std::string Harness::ActiveScreen() const {
    return screenManager ? screenManager->ActiveName() : "";
}

std::vector<DrawnText> Harness::Texts() const {
    std::vector<DrawnText> texts;
    float nextX = 0;
    for (const DrawCall& c : driver.calls) {
        if (c.kind != DrawCall::FRAME || c.sw != 8 || c.sh != 8) continue;
        const int frame = GlyphAt(c.sx, c.sy);
        if (frame < 0) continue;
        const int style = frame / 96;
        const char ch = char(frame % 96 + 32);
        DrawnText* last = texts.empty() ? nullptr : &texts.back();
        // A glyph continues the text when it sits one advance on, on the same line and colour.
        if (!last || last->y != c.Top() || nextX != c.Left() || last->style != style ||
            last->r != c.r || last->g != c.g || last->b != c.b) {
            texts.push_back({"", c.Left(), c.Top(), c.r, c.g, c.b, style});
            last = &texts.back();
        }
        last->text += ch;
        nextX = c.Left() + float(gameFont->widths[std::size_t(style)]);
    }
    return texts;
}

bool Harness::Drew(const std::string& text) const {
    for (const DrawnText& t : Texts())
        if (t.text == text) return true;
    return false;
}

std::vector<std::string> Harness::Names(const char* op) {
    std::vector<std::string> names;
    if (!audio) return names;
    const auto table = SoundNames();
    std::size_t& seen = audioSeen_[op[0] == 'p' ? 0 : 1];
    const auto& calls = audio->Calls();
    for (; seen < calls.size(); ++seen) {
        if (calls[seen].op != op) continue;
        for (const auto& [sound, name] : table)
            if (sound == calls[seen].sound) names.push_back(name);
    }
    return names;
}

std::vector<std::string> Harness::SoundsPlayed() {
    return Names("play");
}
std::vector<std::string> Harness::MusicCued() {
    return Names("cue");
}

void Harness::StartGame() {
    if (ActiveScreen() != "screen_titlescreen") screenManager->Show("screen_titlescreen");
    Tap(vk::ENTER);
    RunFor(520);
    Tap(vk::SPACE);
}

void Harness::RunUntilPlaying() {
    for (int i = 0; i < 600; ++i) {
        if (StageActual::Curtains->Action == TStageCurtins::FIN && Player::Entering == 0) return;
        RunFrames(1);
    }
}
