// The loudest moment of the mix when three of the game's loudest effects start together, through
// OpenAL: run it with OpenAL Soft's wave-file back-end and read the peak of the file with sox
// (bench/limiter-peak.sh does both, with the output limiter on and off).

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
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ShutdownAudio();
    return 0;
}
