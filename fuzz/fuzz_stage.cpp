// Every line the stage file could hold: read into records and written back, which must read as
// the same records again, then loaded as the running stage and played for a moment.

#include <cstdint>
#include <memory>
#include <string>

#include "actors/player.h"
#include "engine/stream.h"
#include "fuzz_support.h"
#include "shell/display.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "toolkit/tween.h"
#include "world/stage_actual.h"
#include "world/stage_record.h"
#include "world/stage_store.h"

namespace {
void Prepare() {
    static bool done = false;
    if (done) return;
    done = true;
    display = std::make_unique<DisplayClass>();
    // The curtains show the ready screen when a stage ends; there is none here to show.
    screenManager = std::make_unique<ScreenClass>();
    VirtualGfx::CreateVG(256, 192);
    InitTweenEquations();
    cfgStageTime = 1;
    Player::Create();
    StageActual::Init();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Prepare();
    ClearIncbins();
    RegisterIncbin("../assets/stage.dat", data, size);
    StageStore::Reset();
    StageStore::GetDataFromExtFile();
    const int stages = MapCount(StageStore::StageData);
    for (const auto& [number, line] : StageStore::StageData) {
        const StageRecord stage = ParseStageLine(line);
        if (!(ParseStageLine(WriteStageLine(stage)) == stage)) __builtin_trap();
    }
    for (int n = -1; n <= stages && n < 6; ++n) {
        StageActual::StageNumber = n;
        StageActual::Load();
        StageActual::Curtains->Action = TStageCurtins::FIN;
        for (int tick = 0; tick < 80; ++tick) {
            UpdateTweenTime();
            StageActual::Update();
        }
        // Every gem got at once: the coin, the enemies' clouds and the win checks.
        for (auto& [key, gem] : StageActual::Gems) gem->Collected();
        for (int tick = 0; tick < 20; ++tick) StageActual::Update();
    }
    return 0;
}
