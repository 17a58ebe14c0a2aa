#include "shell/settings.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "engine/stream.h"
#include "engine/text.h"

namespace {
struct Setting {
    const char* key;
    int* value;
    int fallback;
};

// File order: the position of a line decides which setting it feeds.
const std::array<Setting, 14> kSettings = {{
    {"Music", &cfgMusic, 2},
    {"Sound", &cfgSound, 1},
    {"ScanLines", &cfgScanLines, 1},
    {"Fullscreen", &cfgFullscreen, 1},
    {"Keys Left", &cfgKeysLeft, 65},
    {"Keys Right", &cfgKeysRight, 68},
    {"Keys Action", &cfgKeysAction, 32},
    {"Keys Pause", &cfgKeysPause, 27},
    {"Joy Action", &cfgJoyAction, 0},
    {"Joy Pause", &cfgJoyPause, 7},
    {"Player Lives", &cfgPlayerLives, 3},
    {"Stage Start", &cfgStageStart, 0},
    {"Stage Final", &cfgStageFinal, 4},
    {"Stage Time", &cfgStageTime, 25},
}};

// Longest line worth reading; a settings line is a few bytes, so anything longer is junk and is
// skipped without holding it in memory.
constexpr std::size_t kMaxLine = 4096;

std::string HomeFolder() {
    std::string home = GetEnv("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "";
}

// One line, at most kMaxLine bytes kept; false at the end of the data.
bool ReadSettingLine(TStream& s, std::string& line) {
    line.clear();
    if (s.Eof()) return false;
    std::uint8_t c;
    while (s.Read(&c, 1) == 1) {
        if (c == 10 || c == 0) break;
        if (c != 13 && line.size() < kMaxLine) line.push_back(static_cast<char>(c));
    }
    return true;
}

// "line 3", "lines 3, 7" or "lines 6-14": consecutive numbers as one range.
std::string LineList(const std::vector<int>& numbers) {
    std::string out;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        out += (out.empty() ? "" : ", ") + FromInt(numbers[i]);
        if (j > i) out += "-" + FromInt(numbers[j]);
        i = j + 1;
    }
    return (numbers.size() == 1 ? "line " : "lines ") + out;
}

// The lines of a reading that supplied nothing or no number, by line number; the lines with no
// number also as written ("Fullscreen=no"), since their key says which setting was meant.
struct Unreadable {
    std::vector<int> missing, noValue, notNumber;
    std::vector<std::string> notNumberText;
};

// A line as the player wrote it, quoted, cut short when it is long.
std::string Quoted(const std::string& line) {
    constexpr std::size_t kShown = 40;
    return "\"" + line.substr(0, kShown) + (line.size() > kShown ? "...\"" : "\"");
}

// Said once per reading, naming the lines, so a hand edit that went wrong can be found.
void Report(const Unreadable& u) {
    std::string problems;
    for (auto [lines, what] : {std::pair{&u.noValue, "no \"=\" (default kept)"},
                               std::pair{&u.notNumber, "no number (default kept)"},
                               std::pair{&u.missing, "missing (default kept)"}})
        if (!lines->empty()) problems += "; " + LineList(*lines) + ": " + what;
    for (const std::string& text : u.notNumberText) problems += "; " + Quoted(text);
    if (!problems.empty())
        std::fprintf(stderr, "%s: some lines could not be read: %s\n", configPath.c_str(),
                     problems.substr(2).c_str());
}

// Each line feeds the setting of its position; what a line does not supply keeps its default.
void ReadSettings(TStream& in) {
    Unreadable u;
    std::string line;
    int number = 0;
    for (const Setting& s : kSettings) {
        ++number;
        if (!ReadSettingLine(in, line)) {
            u.missing.push_back(number);
            continue;
        }
        std::vector<std::string> pieces = Split(line, "=");
        if (pieces.size() < 2) {
            u.noValue.push_back(number);
            continue;
        }
        // "Fullscreen=no" must not turn into 0, which means full screen: a value with no number
        // keeps the default. "2 # loud" still reads as 2.
        int value = 0;
        if (ReadInt(pieces[1], value)) {
            *s.value = value;
        } else {
            u.notNumber.push_back(number);
            u.notNumberText.push_back(line);
        }
    }
    Report(u);
}

bool WriteSettings(const std::string& path) {
    std::unique_ptr<TAtomicFile> file = TAtomicFile::Begin(path);
    if (!file) return false;
    bool ok = true;
    for (const Setting& s : kSettings)
        ok = file->Stream().WriteLine(std::string(s.key) + "=" + FromInt(*s.value)) == 1 && ok;
    return ok && file->Commit();
}
}  // namespace

std::string SettingsFolder() {
    std::string profile = GetEnv("USERPROFILE");
    if (!profile.empty()) return profile;
    std::string base = GetEnv("XDG_CONFIG_HOME");
    if (base.empty()) {
        std::string home = HomeFolder();
        if (home.empty()) return "";
        base = home + "/.config";
    }
    std::string folder = base + "/kestrune";
    if (!EnsureFolder(folder))
        std::fprintf(stderr, "cannot create the settings folder %s\n", folder.c_str());
    return folder;
}

void InitConfigPath() {
    std::string folder = SettingsFolder();
    configPath = folder.empty() ? std::string() : folder + "/gem_config.ini";
}

void DefaultConfig() {
    for (const Setting& s : kSettings) *s.value = s.fallback;
}

void ResetConfig() {
    for (const Setting& s : kSettings) *s.value = 0;
}

void LoadConfig() {
    DefaultConfig();
    if (configPath.empty()) {
        std::fprintf(stderr, "no folder for the settings file; using the defaults\n");
        return;
    }
    TAtomicFile::Discard(configPath);
    std::unique_ptr<TStream> in = ReadStream(configPath);
    if (!in) {
        if (!WriteSettings(configPath))
            std::fprintf(stderr, "cannot create %s; using the defaults\n", configPath.c_str());
        in = ReadStream(configPath);
        if (!in) return;
    }
    ReadSettings(*in);
    in->Close();
}

bool SaveConfig() {
    if (!configPath.empty() && WriteSettings(configPath)) return true;
    std::fprintf(stderr,
                 "cannot save the settings to %s; they stay in effect until the game ends\n",
                 configPath.empty() ? "(no folder)" : configPath.c_str());
    return false;
}
