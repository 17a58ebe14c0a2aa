#include "actors/chase_skull.h"

#include <cmath>
#include <cstdlib>

#include "actors/player.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "shell/image.h"
#include "shell/sfx.h"

std::unique_ptr<TChaseSkull> TChaseSkull::Add(int tileX, int tileY) {
    auto skull = std::make_unique<TChaseSkull>();
    skull->X = float(tileX) * 16;
    skull->Y = float(tileY) * 16;
    skull->Anim = CreateAnim({0, 1, 2, 1}, tuning::skull::FRAME);
    skull->Speed = tuning::skull::SPEED;
    skull->HitBox = CreateHitBox(Int(skull->X), Int(skull->Y), 16, 16);
    const tuning::Padding& box = tuning::skull::BOX;
    skull->HitBox->Padding(box.left, box.top, box.right, box.bottom);
    skull->Hidden = 1;
    skull->FlashTime = CreateAnim({0, 1}, tuning::skull::FLASH);
    return skull;
}

int TChaseSkull::Activate() {
    if (Hidden == 0) return 0;
    Hidden = 0;
    SFX::PlayMusic(SFX::MUSIC_CHASE);
    return 0;
}

int TChaseSkull::Steer(int angle, int t, float acel, float turnSpeed) {
    if (angle == t) return angle;
    // The bearing towards the player is t +- 180, so the heading error is +-(180 - |t - angle|).
    const int error = Sgn(t - angle) * (180 - std::abs(t - angle));
    // Single precision throughout, as the fields are: the truncation at whole degrees depends on
    // the last bits of the divisor (1 + 0.66 x 5 is 4.3000002 in floats).
    const float damping = 1 + acel * turnSpeed;
    return Int(float(angle) - float(error) / damping);
}

int TChaseSkull::Update() {
    if (Hidden == 1) return 0;
    HitBox->Update(X, Y);
    Anim->Update();
    FlashTime->Update();
    const double dx = X - Player::X;
    const double dy = Y - Player::Y;
    if (Sqr(std::pow(dx, 2.0) + std::pow(dy, 2.0)) <= 1.0) return 0;
    int t = Int(ATan2(dy, dx));
    // The nearer of the two equivalent bearings; a tie keeps t.
    const int t2 = t - Sgn(t - Angle) * 360;
    if (std::abs(t - Angle) > std::abs(t2 - Angle)) t = t2;
    Angle = Steer(Angle, t, Acel, TurnSpeed);
    if (Angle >= 360) {
        Angle -= 360;
    } else if (Angle < 0) {
        Angle += 360;
    }
    X += float(Cos(Angle)) * Acel;
    Y += float(Sin(Angle)) * Acel;
    return 0;
}

int TChaseSkull::Render() {
    if (Hidden == 1) return 0;
    if (FlashTime->Value() == 1) SetColor(255, 0, 0);
    Image::ChaseSkull->Render(X, Y, Anim->Value(), 0, 1, 1);
    SetColor(255, 255, 255);
    return 0;
}
