#include "actors/patrol_enemy.h"

#include <cmath>

#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/text.h"

void TPatrolEnemy::Place(int tileX, int tileY, float speed, int before, int after) {
    X = float(tileX) * 16;
    Y = float(tileY) * 16;
    PointA = PatrolBound(X, -double(before));
    PointB = PatrolBound(X, after);
    Anim = CreateAnim(kind_.sequence, kind_.tuning.frameTime);
    // A random start step, so enemies made together do not move in step.
    Anim->SetValue(Int(Rnd(0, kind_.tuning.randomSteps)));
    Speed = speed;
    if (kind_.faces) Faceing = speed >= 0 ? FACE_RIGHT : FACE_LEFT;
    HitBox = CreateHitBox(Int(X), Int(Y), 16, 16);
    const tuning::Padding& box = kind_.tuning.box;
    HitBox->Padding(box.left, box.top, box.right, box.bottom);
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

int PatrolBound(float from, double tiles) {
    return Int(double(from) + tiles * 16);
}
