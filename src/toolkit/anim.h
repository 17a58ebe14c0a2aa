#pragma once
// The game clock and frame animations.

#include <cstdint>
#include <memory>
#include <vector>

// Milliseconds on the game clock: 64 bits, so "now + delay" stays right however long the game
// runs (an int would overflow after 24.8 days).
using GameTime = std::int64_t;

// Milliseconds of play since start-up. A backward step of the system clock adds its size.
GameTime GameMilliSecs();
// Start-up: the clock counts from `start` (0; tests start it elsewhere).
void InitGameClock(GameTime start = 0);

// Which frame of a sprite to show: walks a sequence of frame numbers, one step per frame time.
class TAnim {
  public:
    int curr_frame = 0;
    int seq_frame = 0;
    std::vector<int> sequence;
    int frame_time = 0;
    GameTime timer = 0;
    int stopped = 0;
    int loops = -1;
    int loop_count = 0;

    // Advances at most one step; owners call it once per tick.
    void Update();
    int Value() const { return curr_frame; }
    void Pause() { stopped = 1; }
    void Resume() { stopped = 0; }
    // Plays from the first step again, `loops` passes (-1 for ever).
    void Restart(int loopsWanted);
    // Shows frame `value` at once; the same number is the step index.
    void SetValue(int value);
};

std::unique_ptr<TAnim> CreateAnim(std::vector<int> sequence, int frameTime);
