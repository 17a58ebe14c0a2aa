#include "actors/crab.h"

#include "shell/image.h"

namespace {
const TPatrolKind kCrab{&Image::Crab, {0, 1, 2, 1}, tuning::crab::KIND, true, TEnemy::FACE_RIGHT};
}  // namespace

TCrab::TCrab() : TPatrolEnemy(kCrab) {}

std::unique_ptr<TCrab> TCrab::Add(int tileX, int tileY, float speed, int left, int right) {
    return Placed<TCrab>(tileX, tileY, speed, left, right);
}
