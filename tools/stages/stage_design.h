#pragma once
// Stage designs as a level designer keeps them: a tile grid and a grid of things side by side,
// with a legend, turned into the lines of the game's stage file.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/stage_record.h"

// A design that cannot be built, with the file and line it came from.
class DesignError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct EnemyDef {
    int type = 0;
    std::string speed;
    int before = 0;
    int after = 0;
    char axis = 'h';  // 'v' for a kind that climbs its column
};

struct StageDesign {
    int number = -1;
    // Empty when the stage line has no theme section text.
    std::string theme;
    // Tile grid character -> frame of the "tiles" strip.
    std::map<char, int> tiles;
    std::map<char, EnemyDef> enemies;
    // Cells whose records come first, in this order; the rest follow in reading order.
    std::vector<std::pair<int, int>> firstTiles;
    std::vector<std::pair<int, int>> firstThings;
    // Ten rows of twelve characters each, or none for a stage without a field.
    std::vector<std::string> tileRows;
    std::vector<std::string> thingRows;
};

// Reads one design file; `name` is only used in error messages.
StageDesign ParseDesign(const std::string& text, const std::string& name);
// The stage file line (without its line break) for a design.
std::string StageLine(const StageDesign& design);
// The whole stage file: `lines` lines ended by CR LF, "&&" where no design names the line.
std::string StageFile(const std::vector<StageDesign>& designs, int lines);
