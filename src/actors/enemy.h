#pragma once
// What every danger on a stage shares: the five operations the running stage calls, the spawn
// and defeat clouds, and the protocol by which the patrolling kinds appear and vanish in them.

#include <memory>

#include "shell/tuning.h"
#include "toolkit/anim.h"
#include "toolkit/atlas.h"
#include "toolkit/deep_ptr.h"
#include "toolkit/hitbox.h"

// A small smoke cloud that waits, then plays its six frames once and rests on the last.
class TEnemyPoof {
  public:
    int X = 0;
    int Y = 0;
    DeepPtr<TAnim> Anim;
    // Game-clock time at which the cloud starts to show and play.
    GameTime DelayTime = 0;

    // 1 once a cloud has played the poof sound since the last stage-ready screen; every enemy
    // spawns together, so only the first cloud to become due is heard.
    static inline int poofSoundPlayed = 0;
    // Class-level state back to its start (shutdown and tests).
    static void Reset() { poofSoundPlayed = 0; }

    virtual ~TEnemyPoof() = default;
    // A cloud at (x, y) in play-field pixels that starts `delay` ms from now.
    static std::unique_ptr<TEnemyPoof> Add(int x, int y, int delay);
    // Draws the current cloud frame once it is due.
    virtual void Render();
    // Plays the cloud once it is due, with the stage's one poof sound.
    virtual void Update();
    // Whether the cloud's frames have all been shown.
    bool Finished() const { return Anim->stopped == 1; }
};

class TEnemy {
  public:
    static constexpr int FACE_RIGHT = 0;
    static constexpr int FACE_LEFT = 1;
    static constexpr int SPAWN_POOF_DELAY = tuning::enemy::SPAWN_POOF_DELAY;
    static constexpr int AFTER_SPAWN_POOF_DELAY = tuning::enemy::AFTER_SPAWN_POOF_DELAY;

    float X = 0;
    float Y = 0;
    float Speed = 0;
    DeepPtr<TAnim> Anim;
    int Frame = 0;
    int Faceing = FACE_RIGHT;
    DeepPtr<THitBox> HitBox;
    int PointA = 0;
    int PointB = 0;
    GameTime SpawnDelay = 0;
    int Hidden = 0;
    DeepPtr<TEnemyPoof> SpawnPoof;
    DeepPtr<TEnemyPoof> DefeatPoof;

    TEnemy() = default;
    TEnemy& operator=(const TEnemy&) = delete;
    virtual ~TEnemy() = default;

    // Draws the enemy, once per frame.
    virtual int Render() { return 0; }
    // One tick of movement.
    virtual int Update() { return 0; }
    // The stage's gems are all got: vanish.
    virtual int Defeated() { return 0; }
    // The stage has opened: appear.
    virtual int Spawn() { return 0; }
    // Wake up (only the chase skull does).
    virtual int Activate() { return 0; }

    // Dangerous to the player now: present, with a hit box.
    bool Deadly() const { return Hidden == 0 && HitBox != nullptr; }

  protected:
    // A whole copy, clouds and all, made only as the kind it is (see EnemyKind::clone).
    TEnemy(const TEnemy&) = default;

    // The appearing and vanishing protocol of the patrolling kinds.
    // Present again, with a cloud that starts after SPAWN_POOF_DELAY.
    void SpawnInPoof();
    // Absent at once, with a cloud that starts now.
    void DefeatInPoof();
    // The start of a patrolling kind's tick: its animation, the clouds, the settling delay and
    // the hidden state. True when the tick ends there, before any movement.
    bool UpdatePoofs();
    // The start of a patrolling kind's drawing: true when a cloud (or nothing) was drawn instead
    // of the enemy.
    bool RenderPoofs();
};
