#include "world/gold_coin.h"

#include "engine/text.h"
#include "shell/image.h"
#include "shell/sfx.h"
#include "shell/tuning.h"

std::unique_ptr<TGoldCoin> TGoldCoin::Add(int x, int y) {
    auto coin = std::make_unique<TGoldCoin>();
    coin->X = float(x) * 16;
    coin->Y = float(y) * 16;
    coin->HitBox = CreateHitBox(Int(coin->X), Int(coin->Y), 16, 16);
    const tuning::Padding& box = tuning::coin::BOX;
    coin->HitBox->Padding(box.left, box.top, box.right, box.bottom);
    coin->Anim = CreateAnim({0, 1, 2, 3}, tuning::coin::FRAME);
    coin->Hidden = 1;
    return coin;
}

void TGoldCoin::Render() {
    if (Hidden) return;
    Image::GoldCoin->Render(X, Y, Anim->Value(), 0, 1, 1);
}

void TGoldCoin::Update() {
    Anim->Update();
    if (Hidden) return;
    if (stop == 0) {
        YVelocity += Gravity;
        if (YVelocity > MaxFallVelocity) YVelocity = MaxFallVelocity;
        Y += YVelocity;
    }
    HitBox->Update(X, Y);
    int y = 0;
    if (HitPlatform(y) && stop == 0) {
        Y = float(y);
        // Back up with two thirds of the speed; too slow to leave the tile means at rest.
        YVelocity = -(YVelocity / tuning::coin::BOUNCE_DIVISOR);
        if (YVelocity > -tuning::coin::REST_SPEED) stop = 1;
        SFX::Play(SFX::CoinBounce);
    }
}

int TGoldCoin::HitPlatform(int& y) {
    THitBox* solid = SolidUnder ? SolidUnder(*HitBox) : nullptr;
    if (!solid) return 0;
    y = Int(solid->TopSide() - 16);
    return 1;
}

void TGoldCoin::Collected() {
    if (Got == 1) return;
    Got = 1;
    SFX::Play(SFX::CoinGot);
}

void TGoldCoin::Activate() {
    if (Hidden == 1) Hidden = 0;
}
