#pragma once

#include <string>

#include "atlas_page.h"

// Writes the page as an 8-bit RGBA PNG with fixed settings and no time or text chunks, so the
// same art always gives the same bytes. Returns an empty string or the reason it failed.
std::string WritePagePNG(const Page& page, const std::string& path);
