#include "actors/enemy_kinds.h"

#include <array>

#include "actors/bat.h"
#include "actors/bones.h"
#include "actors/crab.h"
#include "actors/death_block.h"
#include "actors/patrol_enemy.h"
#include "actors/spider.h"
#include "shell/image.h"

namespace {
// Cells of every enemy strip: 20 x 20 pixels with 2 trimmed from each side.
constexpr int kCell = 20;
constexpr int kPadding = 2;

template <class Kind>
std::unique_ptr<TEnemy> Make(const EnemyRecord& r) {
    if constexpr (requires { Kind::Add(r.x, r.y, r.speed, r.before, r.after); })
        return Kind::Add(r.x, r.y, r.speed, r.before, r.after);
    else
        return Kind::Add(r.x, r.y, r.type);
}

template <class Kind>
std::unique_ptr<TEnemy> Clone(const TEnemy& enemy) {
    if (typeid(enemy) != typeid(Kind)) return nullptr;
    return std::make_unique<Kind>(static_cast<const Kind&>(enemy));
}

#define ENEMY_KIND(name, first, last, Class, picture, region, frames, axis) \
    EnemyKind{#name, first, last, Make<Class>, Clone<Class>, typeid(Class), axis},
const EnemyKind kKinds[] = {
#include "actors/enemy_kinds.def"
};
#undef ENEMY_KIND

}  // namespace

#define ENEMY_KIND(name, first, last, Class, picture, region, frames, axis) \
    Image::AddStrip(picture, region, kCell, frames, kPadding);
void AddEnemyPictures(){
#include "actors/enemy_kinds.def"
}
#undef ENEMY_KIND

std::span<const EnemyKind> EnemyKinds() {
    return kKinds;
}

const EnemyKind* EnemyKindOf(int type) {
    for (const EnemyKind& kind : kKinds)
        if (type >= kind.firstType && type <= kind.lastType) return &kind;
    return nullptr;
}

const EnemyKind* EnemyKindOf(const TEnemy& enemy) {
    for (const EnemyKind& kind : kKinds)
        if (typeid(enemy) == kind.type) return &kind;
    return nullptr;
}
