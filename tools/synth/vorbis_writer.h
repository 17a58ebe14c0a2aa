#pragma once
// Ogg Vorbis encoding of rendered PCM.

#include <cstdint>
#include <string>
#include <vector>

#include "render.h"

namespace synth {

// Encodes at the given VBR quality. The stream serial number is fixed and no comment carries a
// date or a path, so the same PCM always gives the same bytes. Throws std::runtime_error.
std::vector<std::uint8_t> EncodeVorbis(const Pcm& pcm, double quality);

}  // namespace synth
