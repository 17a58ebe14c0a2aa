#include "support/stage_helpers.h"

namespace {
std::string Cell(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y) + ",";
}
std::string Key(int x, int y) {
    return std::to_string(y * 12 + x);
}
}  // namespace

std::string Tile(int x, int y, int frame) {
    return Cell(x, y) + std::to_string(frame) + "," + Key(x, y) + "/";
}

std::string Floor(int row) {
    std::string s;
    for (int x = 0; x < 12; ++x) s += Tile(x, row);
    return s;
}

std::string Gem(int x, int y, int colour) {
    return Cell(x, y) + std::to_string(colour) + "," + Key(x, y) + ",,,,/";
}

std::string Coin(int x) {
    return Cell(x, 0) + "36," + Key(x, 0) + ",,,,/";
}

std::string Block(int x, int y, int kind) {
    return Cell(x, y) + std::to_string(kind) + "," + Key(x, y) + ",,,,/";
}

std::string Patrol(int x, int y, int type, const std::string& speed, int before, int after) {
    return Cell(x, y) + std::to_string(type) + "," + Key(x, y) + "," + (type == 26 ? "v" : "h") +
           "," + speed + "," + std::to_string(before) + "," + std::to_string(after) + "/";
}

std::string StageLine(const std::string& tiles, const std::string& things, int theme) {
    return tiles + "&" + things + "&" + std::to_string(theme);
}

std::string StageFileOf(const std::vector<std::string>& lines) {
    std::string file;
    for (const std::string& l : lines) file += l + "\r\n";
    return file;
}

HarnessOptions StageHarnessOptions(const std::vector<std::string>& lines,
                                   const std::map<std::string, int>& settings) {
    HarnessOptions o;
    o.files["../assets/stage.dat"] = StageFileOf(lines);
    o.settings = settings;
    o.recordAudio = true;
    return o;
}
