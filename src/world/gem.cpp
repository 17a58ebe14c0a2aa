#include "world/gem.h"

#include "engine/random.h"
#include "engine/text.h"
#include "shell/image.h"
#include "shell/sfx.h"

using namespace tuning::gem;

std::unique_ptr<TGem> TGem::Add(int x, int y, const std::string& key, int color) {
    auto gem = std::make_unique<TGem>();
    gem->X = float(x) * 16;
    gem->Y = float(y) * 16;
    gem->Key = key;
    gem->Color = color;
    gem->HitBox = CreateHitBox(Int(gem->X), Int(gem->Y), 16, 16);
    gem->HitBox->Padding(BOX.left, BOX.top, BOX.right, BOX.bottom);
    gem->Anim = CreateAnim({0, 1, 2, 3, 0}, FRAME);
    gem->Anim->Restart(0);
    gem->AnimWaitDelay = GameMilliSecs() + Rand(SPARKLE_MIN, SPARKLE_MAX);
    return gem;
}

void TGem::Render() {
    Image::Gems->Render(X, Y, Color * 4 + Anim->Value(), 0, 1, 1);
}

void TGem::Update() {
    if (Got == 0) {
        if (GameMilliSecs() > AnimWaitDelay) {
            AnimWaitDelay = GameMilliSecs() + Rand(SPARKLE_MIN, SPARKLE_MAX);
            Anim->Restart(1);
        }
        Anim->Update();
        return;
    }
    if (Y > FLIGHT_Y) {
        Speed += FLIGHT_ACCELERATION;
        X += Directionx * Speed;
        Y += Directiony * Speed;
        Anim->Update();
    } else {
        // Gone once it is no longer below the line; a gem landing exactly on it must not hang
        // there for ever.
        gone_ = true;
    }
}

void TGem::Collected() {
    if (Got == 1) return;
    Got = 1;
    Angle = float(ATan2(FLIGHT_Y - Y, FLIGHT_X - X));
    Directionx = float(Cos(Angle));
    Directiony = float(Sin(Angle));
    SFX::Play(SFX::GemCollect);
}
