#pragma once
// Everything a stage tick can change, copied out and put back exactly, so the search can try a
// move from any state it has seen without playing the stage from its start again.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/chase_skull.h"
#include "actors/enemy.h"
#include "actors/player.h"
#include "support/replay.h"
#include "world/stage_actual.h"

struct Snapshot {
    int clockNow = 0;
    int gameMs = 0;
    int tweenTime = 0;
    int rnd = 0;
    int poofSoundPlayed = 0;
    int tick = 0;
    TickKeys last;

    int stageNumber = 0, state = 0, theme = 0, coinReleased = 0;
    std::map<std::string, std::unique_ptr<TGem>> gems;
    std::vector<std::unique_ptr<TEnemy>> enemies;
    std::unique_ptr<TGoldCoin> coin;
    std::unique_ptr<TChaseSkull> skull;
    std::unique_ptr<TStageCurtins> curtains;
    std::unique_ptr<Tween> timer;

    PlayerState player;
    // Which of the player's three animations is the current one: 0 walk, 1 idle, 2 die.
    int playerAnim = 1;
};

class ManualClock;

// Copies the running stage, the player and the clocks.
Snapshot TakeSnapshot(ManualClock& clock, int tick, const TickKeys& last);
// Puts a snapshot back; the snapshot stays usable.
void RestoreSnapshot(const Snapshot& s, ManualClock& clock);
