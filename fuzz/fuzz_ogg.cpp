// Ogg Vorbis decoding of any bytes through the audio loader: the plain decode, and the decode
// split into pieces on two threads that the game uses at start-up.

#include <cstdint>

#include "engine/audio.h"
#include "engine/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool silent = [] {
        SetAudioDriver(CreateNullAudioDriver());
        return true;
    }();
    (void)silent;
    ClearIncbins();
    RegisterIncbin("fuzz.ogg", data, size);
    LoadSound("incbin::fuzz.ogg", 0);
    const TSoundRequest requests[] = {{"incbin::fuzz.ogg", SOUND_LOOP}, {"incbin::fuzz.ogg", 0}};
    LoadSounds(requests, 2, 1);
    return 0;
}
