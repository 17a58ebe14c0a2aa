#pragma once
// Engine-internal: the SDL side of windows, events and joysticks.

#include <string>

struct SDL_Window;

// Starts SDL's video, joystick and controller parts once; false when no video driver works, with
// the reason in *why when given.
bool PlatformInitVideo(std::string* why = nullptr);
// Graphics turns event polling on when a display opens and off when it closes.
void PlatformStartPolling(SDL_Window* window);
void PlatformStopPolling();
// Between true and false, X errors are recorded instead of ending the program; false returns
// the first one in words ("BadValue, GLX request 3"), empty when there was none. Does nothing
// off X11.
std::string PlatformCatchXErrors(bool on);
