#pragma once
// The names the screens are registered and shown by. The names themselves are the game's own
// (tests and the screen table use them); code names a screen through these constants, so a
// misspelt one does not compile instead of showing nothing.

inline constexpr const char* SCREEN_INTRO_LOAD = "screen_introload";
inline constexpr const char* SCREEN_TITLE = "screen_titlescreen";
inline constexpr const char* SCREEN_STAGE_READY = "screen_stage_ready";
inline constexpr const char* SCREEN_STAGE_PLAY = "screen_stage_play";
inline constexpr const char* SCREEN_PAUSE = "screen_pause";
inline constexpr const char* SCREEN_ENDING = "screen_ending";
inline constexpr const char* SCREEN_CONFIG = "screen_config";
inline constexpr const char* SCREEN_CONTROLS = "screen_controls";
inline constexpr const char* SCREEN_CTRL_CONFIG = "screen_ctrl_config";
