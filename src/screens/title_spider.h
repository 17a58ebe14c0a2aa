#pragma once
// The small spider of the title screen that lowers itself on its thread and climbs back up.

#include <memory>

#include "toolkit/anim.h"
#include "toolkit/tween.h"

// The class-level globals of TitleSpider with their values before Init.
struct TitleSpiderState {
    int SpiderX = 0;
    float SpiderY = 0;
    // How far below SpiderY the spider hangs now.
    std::unique_ptr<Tween> DropTween;
    // Step of the cycle: 0 wait at the top, 1 start down, 2 descend, 3 wait, 4 start up, 5 climb.
    int Phase = 0;
    // End of the current waiting step.
    GameTime PhaseTimer = 0;
    std::unique_ptr<TAnim> SpiderAnim;
};

// The decorative spider of the title screen.
class TitleSpider {
    static inline TitleSpiderState state_;

  public:
    static inline int& SpiderX = state_.SpiderX;
    static inline float& SpiderY = state_.SpiderY;
    static inline std::unique_ptr<Tween>& DropTween = state_.DropTween;
    static inline int& Phase = state_.Phase;
    static inline GameTime& PhaseTimer = state_.PhaseTimer;
    static inline std::unique_ptr<TAnim>& SpiderAnim = state_.SpiderAnim;

    // Raised, waiting one second before the first descent.
    static int Init();
    // One tick of the drop-hang-climb-wait cycle.
    static int Update();
    // The thread, then the spider on it.
    static int RendeR();
    // Everything back to its value before Init (tests).
    static void Reset();
};
