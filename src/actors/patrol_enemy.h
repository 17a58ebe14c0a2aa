#pragma once
// The enemies that walk or fly back and forth along a row (bones, crab, bat) and the spider that
// climbs up and down its thread. They share the patrol rule and the spawn and defeat clouds; the
// kinds differ in picture, animation, hit box and facing.

#include <memory>
#include <vector>

#include "actors/enemy.h"

class AtlasTile;

// What tells one walking kind from another.
struct TPatrolKind {
    // The frame strip, looked up when drawing (the registry fills it at start-up).
    std::unique_ptr<AtlasTile>* strip;
    std::vector<int> sequence;
    int frameTime;
    // The animation starts at a random step below this.
    int randomSteps;
    float padLeft, padTop, padRight, padBottom;
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

  private:
    const TPatrolKind& kind_;
};

// A walking skeleton (stage-file type 25); never mirrored.
class TBones : public TPatrolEnemy {
  public:
    TBones();
    static std::unique_ptr<TBones> Add(int tileX, int tileY, float speed, int left, int right);
};

// A crab (type 27); its picture faces left.
class TCrab : public TPatrolEnemy {
  public:
    TCrab();
    static std::unique_ptr<TCrab> Add(int tileX, int tileY, float speed, int left, int right);
};

// A bat (type 24), flying level; its picture faces right.
class TBat : public TPatrolEnemy {
  public:
    TBat();
    static std::unique_ptr<TBat> Add(int tileX, int tileY, float speed, int left, int right);
};

// A spider (type 26) climbing between two heights on a thread hung from the upper bound.
class TSpider : public TEnemy {
  public:
    // y from which the thread hangs: the upper bound, fixed at creation.
    int WebAnchorPoint = 0;

    static std::unique_ptr<TSpider> Add(int tileX, int tileY, float speed, int up, int down);
    // The spider, then its thread above it.
    int Render() override;
    int Update() override;
    int Defeated() override;
    int Spawn() override;
};
