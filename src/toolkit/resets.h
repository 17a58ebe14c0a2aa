#pragma once
// Every singleton of the game keeps its class-level state in one struct and puts it back with one
// Reset. Each registers that Reset here once, as the program starts, so shutdown (and the tests
// after it) put the whole game back without a list that can miss one.

// Adds a reset; returns true, so that a registration can initialise a constant.
bool RegisterReset(void (*reset)());
// Runs every registered reset once, in the order they were registered.
void ResetSingletons();
