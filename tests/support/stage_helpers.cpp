#include "support/stage_helpers.h"

#include "actors/enemy_kinds.h"
#include "world/stage_record.h"

namespace {
// An entity that stays where it is: a gem, a death block, the coin.
std::string Thing(int x, int y, int type) {
    EntityRecord e;
    e.x = x;
    e.y = y;
    e.type = type;
    e.key = CellKey(x, y);
    return WriteRecord(e);
}
}  // namespace

std::string Tile(int x, int y, int frame) {
    return WriteRecord(TileRecord{x, y, frame, CellKey(x, y)});
}

std::string Floor(int row) {
    std::string s;
    for (int x = 0; x < STAGE_COLUMNS; ++x) s += Tile(x, row);
    return s;
}

std::string Gem(int x, int y, int colour) {
    return Thing(x, y, GEM_FIRST + colour);
}

std::string Coin(int x) {
    return Thing(x, 0, GOLD_COIN);
}

std::string Block(int x, int y, int kind) {
    return Thing(x, y, kind);
}

std::string Patrol(int x, int y, int type, const std::string& speed, int before, int after) {
    const EnemyKind* kind = EnemyKindOf(type);
    const std::string axis = kind && kind->axis == 'v' ? "v" : "h";
    return WriteRecord(EntityRecord{x, y, type, CellKey(x, y), true, axis, speed, before, after});
}

std::string StageLine(const std::string& tiles, const std::string& things, int theme) {
    StageRecord stage = ParseStageLine(tiles + "&" + things + "&");
    stage.theme = std::to_string(theme);
    return WriteStageLine(stage);
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
