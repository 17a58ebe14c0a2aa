#pragma once
// Harness set-ups for tests that play stages of their own.

#include <map>
#include <string>
#include <vector>

#include "support/harness.h"

// Records of a stage line, each with its cell key and its closing "/".
std::string Tile(int x, int y, int frame = 0);
// A solid row of tiles across the field.
std::string Floor(int row);
std::string Gem(int x, int y, int colour = 0);
std::string Coin(int x);
std::string Block(int x, int y, int kind);
std::string Patrol(int x, int y, int type, const std::string& speed, int before, int after);
// The line of a stage: tile records, entity records, theme.
std::string StageLine(const std::string& tiles, const std::string& things, int theme = 0);

// A stage file of these lines (each ended by CR LF).
std::string StageFileOf(const std::vector<std::string>& lines);
// A harness whose stage file holds these lines, recording sound, with these settings.
HarnessOptions StageHarnessOptions(const std::vector<std::string>& lines,
                                   const std::map<std::string, int>& settings = {});
