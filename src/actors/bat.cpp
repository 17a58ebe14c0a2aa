#include "actors/bat.h"

#include "shell/image.h"

namespace {
const TPatrolKind kBat{&Image::Bat, {0, 1, 2, 3, 2, 1}, tuning::bat::KIND, true, TEnemy::FACE_LEFT};
}  // namespace

TBat::TBat() : TPatrolEnemy(kBat) {}

std::unique_ptr<TBat> TBat::Add(int tileX, int tileY, float speed, int left, int right) {
    return Placed<TBat>(tileX, tileY, speed, left, right);
}
