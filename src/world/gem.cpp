#include "world/gem.h"

#include "engine/random.h"
#include "engine/text.h"
#include "shell/image.h"
#include "shell/sfx.h"
#include "world/stage_actual.h"

namespace {
constexpr int kSparkleMin = 2000;
constexpr int kSparkleMax = 9000;
// Where a collected gem heads: just above the middle of the field's top edge, half a gem left.
constexpr float kFlightX = 88;
constexpr float kFlightY = -8;
}  // namespace

std::unique_ptr<TGem> TGem::Add(int x, int y, const std::string& key, int color) {
    auto gem = std::make_unique<TGem>();
    gem->X = float(x) * 16;
    gem->Y = float(y) * 16;
    gem->Key = key;
    gem->Color = color;
    gem->HitBox = CreateHitBox(Int(gem->X), Int(gem->Y), 16, 16);
    gem->HitBox->Padding(3, 3, -3, -3);
    gem->Anim = CreateAnim({0, 1, 2, 3, 0}, 50);
    gem->Anim->Restart(0);
    gem->AnimWaitDelay = GameMilliSecs() + Rand(kSparkleMin, kSparkleMax);
    return gem;
}

void TGem::Render() {
    Image::Gems->Render(X, Y, Color * 4 + Anim->Value(), 0, 1, 1);
}

void TGem::Update() {
    if (Got == 0) {
        if (GameMilliSecs() > AnimWaitDelay) {
            AnimWaitDelay = GameMilliSecs() + Rand(kSparkleMin, kSparkleMax);
            Anim->Restart(1);
        }
        Anim->Update();
        return;
    }
    if (Y > kFlightY) {
        Speed += 0.03f;
        X += Directionx * Speed;
        Y += Directiony * Speed;
        Anim->Update();
    } else {
        // Gone once it is no longer below the line; a gem landing exactly on it must not hang
        // there for ever.
        StageActual::RemoveGem(Key);
    }
}

void TGem::Collected() {
    if (Got == 1) return;
    Got = 1;
    Angle = float(ATan2(kFlightY - Y, kFlightX - X));
    Directionx = float(Cos(Angle));
    Directiony = float(Sin(Angle));
    SFX::Play(SFX::GemCollect);
}
