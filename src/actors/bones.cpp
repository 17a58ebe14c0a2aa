#include "actors/bones.h"

#include "shell/image.h"

namespace {
// Which facing draws mirrored, for a kind drawn the same either way.
constexpr int kNeverMirrored = -1;
const TPatrolKind kBones{&Image::Bones, {0, 1, 2, 3}, tuning::bones::KIND, false, kNeverMirrored};
}  // namespace

TBones::TBones() : TPatrolEnemy(kBones) {}

std::unique_ptr<TBones> TBones::Add(int tileX, int tileY, float speed, int left, int right) {
    return Placed<TBones>(tileX, tileY, speed, left, right);
}
