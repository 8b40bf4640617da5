#pragma once
// The game's random numbers. One seedable generator with the classic 15-bit
// output (0..32767), so that draws are spread exactly as the game's tables
// were tuned for, whatever the C library's own rand() does. It seeds itself
// from the clock when first used; tests seed it for repeatable runs. Main
// thread only.

// A seed that differs from one start of the program to the next: the
// system's random source mixed with the wall clock and the process id.
unsigned SystemSeed();
// Restarts the sequence.
void SeedRandom(unsigned seed);
// Where the sequence stands: SeedRandom(RandomState()) carries on from here.
unsigned RandomState();
// The next raw value, 0..32767.
int RandomDraw();
// The next value as a float in 0..1 (the raw value / 32767).
float RandomUnit();
// A value in [min, max], every value equally likely up to the binning of the
// 32768 raw values, for the ranges the game uses (min 0 or more). A range
// that holds -1 gives -1 without drawing; one wholly below -1 only ever
// gives min (the draw is scaled by max + 1). A call with max < min breaks
// the contract: it gives min rather than spinning.
int RandomInt(int min, int max);
