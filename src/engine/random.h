#pragma once
// The game's random numbers: one minimal-standard generator, the same sequence on every run.

double RndDouble();
double Rnd(double min, double max);
int Rand(int min, int max);
void SeedRnd(int seed);
int RndSeed();
