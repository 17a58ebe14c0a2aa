// The settings reader on any file, and a save and reload that must give back the same values.

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "shell/settings.h"

namespace {
std::array<int*, 14> kValues = {&cfgMusic,      &cfgSound,     &cfgScanLines,   &cfgFullscreen,
                                &cfgKeysLeft,   &cfgKeysRight, &cfgKeysAction,  &cfgKeysPause,
                                &cfgJoyAction,  &cfgJoyPause,  &cfgPlayerLives, &cfgStageStart,
                                &cfgStageFinal, &cfgStageTime};

void RemoveFolder();

const std::string& Folder() {
    static const std::string folder = [] {
        // Memory-backed when it can be: every save syncs the file and its folder.
        char pattern[] = "/dev/shm/kestrune-fuzz-settings-XXXXXX";
        char fallback[] = "/tmp/kestrune-fuzz-settings-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) made = mkdtemp(fallback);
        if (!made) std::abort();
        return std::string(made);
    }();
    // Gone when the run ends, so repeated runs leave nothing behind in memory or /tmp.
    static const int removed = std::atexit(RemoveFolder);
    (void)removed;
    return folder;
}

void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    configPath = Folder() + "/gem_config.ini";
    if (std::FILE* f = std::fopen(configPath.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    LoadConfig();
    std::array<int, 14> read{};
    for (std::size_t i = 0; i < kValues.size(); ++i) read[i] = *kValues[i];
    if (!SaveConfig()) std::abort();
    ResetConfig();
    LoadConfig();
    for (std::size_t i = 0; i < kValues.size(); ++i)
        if (*kValues[i] != read[i]) std::abort();  // a value did not survive the round trip
    return 0;
}
