#include "actors/enemy_kinds.h"

#include "actors/patrol_enemy.h"

namespace {
template <class Kind>
std::unique_ptr<TEnemy> Make(int x, int y, float speed, int before, int after) {
    return Kind::Add(x, y, speed, before, after);
}
}  // namespace

PatrolFactory PatrolFactoryFor(int type) {
    switch (type) {
        case 24:
            return Make<TBat>;
        case 25:
            return Make<TBones>;
        case 26:
            return Make<TSpider>;
        case 27:
            return Make<TCrab>;
        default:
            return nullptr;
    }
}
