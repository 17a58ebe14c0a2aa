#pragma once
// Every singleton of the game keeps its class-level state in one struct and puts it back with one
// Reset, and every game-wide object is let go of by one. Each registers its reset when it is set
// up (a singleton's Load, Init or Create, start-up for the game-wide objects), never during static
// initialisation, so shutdown (and the tests after it) put the whole game back without a list that
// can miss one.

// Adds a reset; one already registered is not added again. May be called from any thread.
void RegisterReset(void (*reset)());
// Runs every registered reset once, the last registered first, as objects are destroyed in the
// reverse of the order they were made.
void ResetSingletons();
