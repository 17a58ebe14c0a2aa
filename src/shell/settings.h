#pragma once
// The player's options, bindings and game rules, and the settings file that keeps them.

#include <string>

inline int cfgMusic = 0;
inline int cfgSound = 0;
inline int cfgScanLines = 0;
// 1 is a 1024 x 768 window, 0 full screen at the desktop size (the key's name says the opposite).
inline int cfgFullscreen = 0;
inline int cfgKeysLeft = 0;
inline int cfgKeysRight = 0;
inline int cfgKeysAction = 0;
inline int cfgKeysPause = 0;
inline int cfgJoyAction = 0;
inline int cfgJoyPause = 0;
inline int cfgPlayerLives = 0;
inline int cfgStageStart = 0;
inline int cfgStageFinal = 0;
inline int cfgStageTime = 0;

// The codes the key settings hold for the arrow keys, which type no character: stored by the
// control configuration screen, read by the player's controls.
inline constexpr int ARROW_UP = 9991;
inline constexpr int ARROW_RIGHT = 9992;
inline constexpr int ARROW_DOWN = 9993;
inline constexpr int ARROW_LEFT = 9994;

// Full path of "gem_config.ini"; empty when no folder could be found for it.
inline std::string configPath;

// The folder the settings live in: USERPROFILE when set, otherwise
// ${XDG_CONFIG_HOME:-$HOME/.config}/kestrune, created when missing.
std::string SettingsFolder();
// Start-up: configPath from SettingsFolder.
void InitConfigPath();

// Creates the file with defaults when it is missing, then reads the settings: each line feeds the
// setting its key names, and a line whose key names none the setting of its position. Whatever
// the file does not supply keeps its default.
void LoadConfig();
// Rewrites the whole file; the old file stays intact when that fails. False on failure.
bool SaveConfig();

// Sets every setting to its default (what a fresh file would hold).
void DefaultConfig();
// All settings back to 0, as before the first LoadConfig (tests).
void ResetConfig();
