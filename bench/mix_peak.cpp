// The loudest moment of the mix when four of the game's loudest effects start together, mixed by
// OpenAL and played through SDL: run it with SDL's disk output and read the peak of the file with
// sox (bench/limiter-peak.sh does both, with OpenAL's output limiter on and off).

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "engine/audio.h"
#include "shell/embedded_assets.h"

int main() {
    RegisterEmbeddedAssets();
    const char* names[] = {"player_die", "coin_got", "enemy_poof", "gem_collect"};
    std::vector<std::unique_ptr<TSound>> sounds;
    for (const char* name : names)
        sounds.push_back(LoadSound(std::string("incbin::../assets/sounds/") + name + ".ogg"));
    std::printf("audio driver: %s\n", AudioDriver().Name().c_str());
    std::vector<std::shared_ptr<TChannel>> channels;
    for (auto& sound : sounds) channels.push_back(PlaySound(sound.get()));
    // The game's frames look after the output; here a frame every 10 ms for 2.5 s.
    for (int i = 0; i < 250; ++i) {
        UpdateAudio();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ShutdownAudio();
    return 0;
}
