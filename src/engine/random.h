#pragma once
// The game's random numbers: one minimal-standard generator, the same sequence on every run.

// The next number in [0, 1), from two steps of the generator.
double RndDouble();
// A number between min and max (either order), the larger end excluded.
double Rnd(double min, double max);
// A whole number from min to max (either order), both ends included.
int Rand(int min, int max);
// Starts the sequence again from seed & 0x7fffffff (4660 for 0 and 0x7fffffff).
void SeedRnd(int seed);
// The generator's present state.
int RndSeed();
