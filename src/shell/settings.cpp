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

// File order. A line feeds the setting its key names, or the one of its position when its key
// names none.
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

constexpr std::size_t kNone = kSettings.size();

// The setting a key names, or kNone: the blanks around the key are ignored, its case is not.
std::size_t SettingNamed(const std::string& key) {
    const std::size_t first = key.find_first_not_of(" \t");
    if (first == std::string::npos) return kNone;
    const std::string name = key.substr(first, key.find_last_not_of(" \t") + 1 - first);
    for (std::size_t i = 0; i < kSettings.size(); ++i)
        if (name == kSettings[i].key) return i;
    return kNone;
}

// A line that could not feed its setting: told only when that setting keeps its default.
struct Failure {
    int line;
    std::size_t setting;
    bool hasValue;  // it has an "=", but no number after it
    std::string text;
};

// The settings no line fed keep their defaults: the lines that tried and failed are named, and so
// are the positions past the end of the file.
void ReportUnfed(const std::vector<Failure>& failures, const std::array<bool, kNone>& fed,
                 int lines) {
    Unreadable u;
    for (const Failure& f : failures) {
        if (fed[f.setting]) continue;
        (f.hasValue ? u.notNumber : u.noValue).push_back(f.line);
        if (f.hasValue) u.notNumberText.push_back(f.text);
    }
    for (int position = lines + 1; position <= int(kNone); ++position)
        if (!fed[std::size_t(position - 1)]) u.missing.push_back(position);
    Report(u);
}

// Each line feeds the setting its key names, the key being the text before the first "=" and the
// value the text after it, up to a second "=". A line whose key names no setting (or that has no
// "=") feeds the setting of its position instead, as every line did before keys were read, unless
// a line naming that setting feeds it; among lines naming one setting, the last one read wins.
// What no line feeds keeps its default.
void ReadSettings(TStream& in) {
    std::array<bool, kNone> fed{}, named{};
    std::vector<Failure> failures;
    std::string line;
    int number = 0;
    while (ReadSettingLine(in, line)) {
        ++number;
        const std::vector<std::string> pieces = Split(line, "=");
        std::size_t setting = pieces.size() < 2 ? kNone : SettingNamed(pieces[0]);
        const bool byKey = setting != kNone;
        if (!byKey) setting = std::size_t(number - 1);
        if (setting >= kNone || (!byKey && named[setting])) continue;
        // "Fullscreen=no" must not turn into 0, which means full screen: a value with no number
        // keeps the default. "2 # loud" still reads as 2.
        int value = 0;
        if (pieces.size() < 2 || !ReadInt(pieces[1], value)) {
            failures.push_back({number, setting, pieces.size() >= 2, line});
            continue;
        }
        *kSettings[setting].value = value;
        fed[setting] = true;
        named[setting] = named[setting] || byKey;
    }
    ReportUnfed(failures, fed, number);
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
