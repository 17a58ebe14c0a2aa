#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atlas_page.h"

// Writes the page as an 8-bit RGBA PNG with fixed settings and no time or text chunks, so the
// same art always gives the same bytes. Returns an empty string or the reason it failed.
std::string WritePagePNG(const Page& page, const std::string& path);
// The same for any picture of packed 0xRRGGBBAA pixels, row-major.
std::string WritePNG(const std::vector<std::uint32_t>& rgba, int width, int height,
                     const std::string& path);
