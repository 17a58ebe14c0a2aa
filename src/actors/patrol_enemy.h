#pragma once
// What the enemies that walk or fly back and forth along a row (bones, crab, bat) share: the
// patrol rule and the spawn and defeat clouds. The kinds, each in its own file, differ in
// picture, animation, hit box and facing; the spider climbing its thread patrols a column.

#include <memory>
#include <vector>

#include "actors/enemy.h"
#include "shell/tuning.h"

class AtlasTile;

// What tells one walking kind from another.
struct TPatrolKind {
    // The frame strip, looked up when drawing (the registry fills it at start-up).
    std::unique_ptr<AtlasTile>* strip;
    std::vector<int> sequence;
    // Frame time, the scatter of the first frame and the hurting part of the cell.
    tuning::PatrolTuning tuning;
    // Whether Faceing follows the direction, and which facing draws mirrored.
    bool faces;
    int mirroredWhen;
};

class TPatrolEnemy : public TEnemy {
  public:
    // Draws the cloud, or the enemy facing its way.
    int Render() override;
    // Walks, turning once past a bound.
    int Update() override;
    int Defeated() override;
    int Spawn() override;

  protected:
    explicit TPatrolEnemy(const TPatrolKind& kind) : kind_(kind) {}
    // Position, bounds `before` and `after` tiles either side, animation at a random step, hit
    // box, facing from the sign of the speed; hidden until spawned.
    void Place(int tileX, int tileY, float speed, int before, int after);
    // A new enemy of a patrolling kind, placed: what each kind's Add does.
    template <class Kind>
    static std::unique_ptr<Kind> Placed(int tileX, int tileY, float speed, int before, int after) {
        auto enemy = std::make_unique<Kind>();
        enemy->Place(tileX, tileY, speed, before, after);
        return enemy;
    }

  private:
    const TPatrolKind& kind_;
};

// A bound `tiles` whole tiles from `from` (pixels), counted in doubles: a range of any int (its
// negation included) saturates instead of overflowing.
int PatrolBound(float from, double tiles);
