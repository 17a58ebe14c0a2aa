#include "actors/spider.h"

#include <cmath>

#include "actors/patrol_enemy.h"
#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "shell/image.h"
#include "toolkit/shape.h"

std::unique_ptr<TSpider> TSpider::Add(int tileX, int tileY, float speed, int up, int down) {
    auto spider = std::make_unique<TSpider>();
    spider->X = float(tileX) * 16;
    spider->Y = float(tileY) * 16;
    spider->PointA = PatrolBound(spider->Y, -double(up));
    spider->PointB = PatrolBound(spider->Y, down);
    const tuning::PatrolTuning& kind = tuning::spider::KIND;
    spider->Anim = CreateAnim({0, 1, 2, 1}, kind.frameTime);
    spider->Anim->SetValue(Int(Rnd(0, kind.randomSteps)));
    spider->Speed = speed;
    spider->HitBox = CreateHitBox(Int(spider->X), Int(spider->Y), 16, 16);
    spider->HitBox->Padding(kind.box.left, kind.box.top, kind.box.right, kind.box.bottom);
    spider->Hidden = 1;
    spider->WebAnchorPoint = spider->PointA;
    return spider;
}

int TSpider::Update() {
    if (UpdatePoofs()) return 0;
    Y += Speed;
    if (Speed < 0 && Y < float(PointA)) {
        Speed = std::fabs(Speed);
    } else if (Speed > 0 && Y > float(PointB)) {
        Speed = -Speed;
    }
    HitBox->Update(X, Y);
    return 0;
}

int TSpider::Render() {
    if (RenderPoofs()) return 0;
    Image::Spider->Render(X, Y, Anim->Value(), 0, 1, 1);
    SetColor(0, 0, 202);
    // From the anchor down to the spider's top edge; at the upper turn the spider can overshoot
    // the anchor, and the thread is drawn with that small or negative height all the same.
    Shape::DrawRect(X + 8, float(WebAnchorPoint), 1, Y - float(WebAnchorPoint), 1, 1);
    SetColor(255, 255, 255);
    return 0;
}

int TSpider::Defeated() {
    DefeatInPoof();
    return 0;
}

int TSpider::Spawn() {
    SpawnInPoof();
    return 0;
}
