#include "toolkit/tween.h"

#include "toolkit/anim.h"

void UpdateTweenTime() { tweenTime = GameMilliSecs(); }
void InitTweenEquations() {}
