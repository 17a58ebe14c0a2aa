#include "actors/enemy.h"

#include "engine/text.h"
#include "shell/image.h"
#include "shell/sfx.h"
#include "shell/tuning.h"
#include "toolkit/resets.h"

std::unique_ptr<TEnemyPoof> TEnemyPoof::Add(int x, int y, int delay) {
    RegisterReset(&TEnemyPoof::Reset);
    auto poof = std::make_unique<TEnemyPoof>();
    poof->X = x;
    poof->Y = y;
    poof->Anim = CreateAnim({0, 1, 2, 3, 4, 5}, tuning::enemy::POOF_FRAME);
    poof->Anim->Restart(1);
    poof->DelayTime = GameMilliSecs() + delay;
    return poof;
}

void TEnemyPoof::Render() {
    if (DelayTime > GameMilliSecs()) return;
    Image::Poof->Render(float(X), float(Y), Anim->Value(), 0, 1, 1);
}

void TEnemyPoof::Update() {
    if (DelayTime > GameMilliSecs()) return;
    Anim->Update();
    if (poofSoundPlayed == 0) {
        SFX::Play(SFX::EnemyPoof);
        poofSoundPlayed = 1;
    }
}

void TEnemy::SpawnInPoof() {
    Hidden = 0;
    SpawnPoof = TEnemyPoof::Add(Int(X), Int(Y), SPAWN_POOF_DELAY);
}

void TEnemy::DefeatInPoof() {
    Hidden = 1;
    DefeatPoof = TEnemyPoof::Add(Int(X), Int(Y), 0);
}

bool TEnemy::UpdatePoofs() {
    if (Anim) Anim->Update();
    if (SpawnPoof) {
        SpawnPoof->Update();
        if (SpawnPoof->Finished()) SpawnPoof.reset();
        // Renewed on every tick the cloud exists: movement starts 500 ms after it is dropped.
        SpawnDelay = GameMilliSecs() + AFTER_SPAWN_POOF_DELAY;
        return true;
    }
    if (DefeatPoof) {
        DefeatPoof->Update();
        if (DefeatPoof->Finished()) DefeatPoof.reset();
        return true;
    }
    return SpawnDelay > GameMilliSecs() || Hidden == 1;
}

bool TEnemy::RenderPoofs() {
    if (SpawnPoof) {
        SpawnPoof->Render();
        return true;
    }
    if (DefeatPoof) {
        DefeatPoof->Render();
        return true;
    }
    return Hidden == 1;
}
