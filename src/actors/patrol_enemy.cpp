#include "actors/patrol_enemy.h"

#include <cmath>

#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "shell/image.h"
#include "toolkit/shape.h"

namespace {
constexpr int kNeverMirrored = -1;

const TPatrolKind kBones{&Image::Bones, {0, 1, 2, 3}, 150, 3, 3, 3, -3, -3, false, kNeverMirrored};
const TPatrolKind kCrab{&Image::Crab, {0, 1, 2, 1}, 125, 2, 3, 3, -3, -3, true, TEnemy::FACE_RIGHT};
const TPatrolKind kBat{&Image::Bat, {0, 1, 2, 3, 2, 1}, 100, 4, 2, 5, -2, -4,
                       true,        TEnemy::FACE_LEFT};

// A bound `tiles` whole tiles from `from`, counted in doubles: a range of any int (its negation
// included) saturates instead of overflowing.
int Bound(float from, double tiles) {
    return Int(double(from) + tiles * 16);
}
}  // namespace

void TPatrolEnemy::Place(int tileX, int tileY, float speed, int before, int after) {
    X = float(tileX) * 16;
    Y = float(tileY) * 16;
    PointA = Bound(X, -double(before));
    PointB = Bound(X, after);
    Anim = CreateAnim(kind_.sequence, kind_.frameTime);
    // A random start step, so enemies made together do not move in step.
    Anim->SetValue(Int(Rnd(0, kind_.randomSteps)));
    Speed = speed;
    if (kind_.faces) Faceing = speed >= 0 ? FACE_RIGHT : FACE_LEFT;
    HitBox = CreateHitBox(Int(X), Int(Y), 16, 16);
    HitBox->Padding(kind_.padLeft, kind_.padTop, kind_.padRight, kind_.padBottom);
    Hidden = 1;
}

int TPatrolEnemy::Update() {
    if (UpdatePoofs()) return 0;
    X += Speed;
    // Never clamped: the enemy steps past a bound by less than one step and turns there.
    if (Speed < 0 && X < float(PointA)) {
        Speed = std::fabs(Speed);
        if (kind_.faces) Faceing = FACE_RIGHT;
    } else if (Speed > 0 && X > float(PointB)) {
        Speed = -Speed;
        if (kind_.faces) Faceing = FACE_LEFT;
    }
    HitBox->Update(X, Y);
    return 0;
}

int TPatrolEnemy::Render() {
    if (RenderPoofs()) return 0;
    AtlasTile* strip = kind_.strip->get();
    // Mirrored about its own width, the picture still covers X .. X + 16.
    if (Faceing == kind_.mirroredWhen) {
        strip->Render(X + 16, Y, Anim->Value(), 0, -1, 1);
    } else {
        strip->Render(X, Y, Anim->Value(), 0, 1, 1);
    }
    return 0;
}

int TPatrolEnemy::Defeated() {
    DefeatInPoof();
    return 0;
}

int TPatrolEnemy::Spawn() {
    SpawnInPoof();
    return 0;
}

TBones::TBones() : TPatrolEnemy(kBones) {}
TCrab::TCrab() : TPatrolEnemy(kCrab) {}
TBat::TBat() : TPatrolEnemy(kBat) {}

std::unique_ptr<TBones> TBones::Add(int tileX, int tileY, float speed, int left, int right) {
    auto bones = std::make_unique<TBones>();
    bones->Place(tileX, tileY, speed, left, right);
    return bones;
}

std::unique_ptr<TCrab> TCrab::Add(int tileX, int tileY, float speed, int left, int right) {
    auto crab = std::make_unique<TCrab>();
    crab->Place(tileX, tileY, speed, left, right);
    return crab;
}

std::unique_ptr<TBat> TBat::Add(int tileX, int tileY, float speed, int left, int right) {
    auto bat = std::make_unique<TBat>();
    bat->Place(tileX, tileY, speed, left, right);
    return bat;
}

std::unique_ptr<TSpider> TSpider::Add(int tileX, int tileY, float speed, int up, int down) {
    auto spider = std::make_unique<TSpider>();
    spider->X = float(tileX) * 16;
    spider->Y = float(tileY) * 16;
    spider->PointA = Bound(spider->Y, -double(up));
    spider->PointB = Bound(spider->Y, down);
    spider->Anim = CreateAnim({0, 1, 2, 1}, 100);
    spider->Anim->SetValue(Int(Rnd(0, 3)));
    spider->Speed = speed;
    spider->HitBox = CreateHitBox(Int(spider->X), Int(spider->Y), 16, 16);
    spider->HitBox->Padding(3, 3, -3, -3);
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
