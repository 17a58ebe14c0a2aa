#pragma once
// The game's window: its caption, the display the settings ask for, and the renderer's label.

#include <string>

inline std::string gameTitle = "Kestrune";

// Opens the display the settings ask for: the 1024 x 768 window (smaller where the desktop has no
// room for it) for 1 and any value other than 0 and 1, full screen at the desktop size for 0.
void OpenDisplayFromSettings();
// "GL", "DX9" or "DX7" for the renderer in use; empty for any other.
std::string RendererLabel();
