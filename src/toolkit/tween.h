#pragma once
// Tweening: one float eased from a start to an end value over a duration, on a shared clock.

// Milliseconds of the game clock, sampled once per logic tick.
inline int tweenTime = 0;
void UpdateTweenTime();
// Start-up: the shared easing equations.
void InitTweenEquations();
