#pragma once
// A gem to collect: it sits in its cell and sparkles now and then; once touched it flies off
// towards the top middle of the field, speeding up, and leaves the stage's gem table.

#include <memory>
#include <string>

#include "shell/tuning.h"
#include "toolkit/anim.h"
#include "toolkit/hitbox.h"

class TGem {
  public:
    float X = 0;
    float Y = 0;
    std::string Key;
    int Color = 0;
    std::unique_ptr<THitBox> HitBox;
    std::unique_ptr<TAnim> Anim;
    // Game-clock time of the next sparkle.
    GameTime AnimWaitDelay = 0;
    int Got = 0;
    float Angle = 0;
    float Directionx = 0;
    float Directiony = 0;
    float Speed = tuning::gem::FLIGHT_SPEED;

    virtual ~TGem() = default;
    // A gem of colour 0..5 resting in grid cell (x, y), stored by the caller under key.
    static std::unique_ptr<TGem> Add(int x, int y, const std::string& key, int color);
    // Draws the gem's current frame.
    virtual void Render();
    // One tick: sparkle while waiting; once got, fly until it is gone off the top.
    virtual void Update();
    // Marks the gem got, sets its flight towards (88, -8) and plays the gem sound; a second call
    // does nothing.
    virtual void Collected();
    // True once the gem has flown off: the stage takes it away after the Update that said so.
    bool Gone() const { return gone_; }

  private:
    bool gone_ = false;
};
