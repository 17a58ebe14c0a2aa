#pragma once
// What every fuzz target shares: the game's fatal messages turned into an exception the target
// catches, so a refusal with the fixed message is an answer and not a crash.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Thrown where the game would end the program with one of its fixed messages.
struct GameEnded {};

// Quiets messages and makes End throw GameEnded; call once per input, before the code under test.
void ArmGameEnd();
// The input as lines, split as a text stream reads them (line feeds; carriage returns dropped).
std::vector<std::string> LinesOf(const std::uint8_t* data, std::size_t size);
