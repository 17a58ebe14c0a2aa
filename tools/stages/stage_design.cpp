#include "stage_design.h"

#include <algorithm>
#include <sstream>

namespace {
constexpr int kWide = STAGE_COLUMNS;
constexpr int kHigh = STAGE_ROWS;

// The twelve tiles of a family in strip order, by grid character.
constexpr const char* kFamilyChars = "=[]o#%()x&-_";
const std::map<std::string, int> kFamilies = {
    {"brick", 0}, {"stone", 12}, {"earth", 24}, {"metal", 36}, {"ice", 48}};
// Scenery frames 60..71 by grid character.
constexpr const char* kSceneryChars = ",fmvctwbyip*";
// The game's registry of enemy kinds: the patrolling ones are named in designs by their row's
// name, and written with their row's type and axis.
struct PatrolKindRow {
    int type;
    char axis;
};
#define ENEMY_KIND(name, first, last, Class, picture, region, frames, axis) {#name, {first, axis}},
const std::map<std::string, PatrolKindRow> kAllKinds = {
#include "actors/enemy_kinds.def"
};
#undef ENEMY_KIND

std::map<std::string, PatrolKindRow> PatrolKinds() {
    std::map<std::string, PatrolKindRow> patrols;
    for (const auto& [name, row] : kAllKinds)
        if (row.axis != 0) patrols[name] = row;
    return patrols;
}
const std::map<std::string, PatrolKindRow> kEnemyTypes = PatrolKinds();
// The things a design's grid holds besides the patrolling enemies: gems by colour, the death
// blocks in their kinds' order (mine, floor spikes, ceiling spikes, spikes on the left and on the
// right of the cell, from the registry's first death-block type on) and the coin.
const int kBlock = kAllKinds.at("death_block").type;
const std::map<char, int> kThings = {
    {'0', GEM_FIRST},     {'1', GEM_FIRST + 1}, {'2', GEM_FIRST + 2}, {'3', GEM_FIRST + 3},
    {'4', GEM_FIRST + 4}, {'5', GEM_LAST},      {'M', kBlock},        {'^', kBlock + 1},
    {'V', kBlock + 2},    {'<', kBlock + 3},    {'>', kBlock + 4},    {'$', GOLD_COIN}};

struct Reader {
    std::string name;
    int line = 0;
    [[noreturn]] void Fail(const std::string& what) const {
        throw DesignError(name + ":" + std::to_string(line) + ": " + what);
    }
};

int ToNumber(const Reader& r, const std::string& text) {
    try {
        std::size_t used = 0;
        int v = std::stoi(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    r.Fail("not a whole number: " + text);
}

std::vector<std::pair<int, int>> Cells(const Reader& r, std::istringstream& words) {
    std::vector<std::pair<int, int>> cells;
    std::string cell;
    while (words >> cell) {
        const std::size_t comma = cell.find(',');
        if (comma == std::string::npos) r.Fail("a cell is column,row: " + cell);
        cells.emplace_back(ToNumber(r, cell.substr(0, comma)), ToNumber(r, cell.substr(comma + 1)));
    }
    return cells;
}

void Family(const Reader& r, StageDesign& d, const std::string& family) {
    auto it = kFamilies.find(family);
    if (it == kFamilies.end()) r.Fail("unknown tile family " + family);
    for (int i = 0; kFamilyChars[i]; ++i) d.tiles[kFamilyChars[i]] = it->second + i;
}

void Enemy(const Reader& r, StageDesign& d, std::istringstream& words) {
    std::string letter, kind, speed, before, after;
    if (!(words >> letter >> kind >> speed >> before >> after))
        r.Fail("enemy <letter> <kind> <speed> <before> <after>");
    if (letter.size() != 1 || letter[0] < 'a' || letter[0] > 'z')
        r.Fail("an enemy is named by one lower-case letter");
    auto type = kEnemyTypes.find(kind);
    if (type == kEnemyTypes.end()) r.Fail("unknown enemy kind " + kind);
    d.enemies[letter[0]] = {type->second.type, speed, ToNumber(r, before), ToNumber(r, after),
                            type->second.axis};
}

void MapRow(const Reader& r, StageDesign& d, const std::string& row) {
    std::istringstream words(row);
    std::string tiles, things;
    if (!(words >> tiles >> things) || tiles.size() != kWide || things.size() != kWide)
        r.Fail("a map row is twelve tile characters, blanks, twelve thing characters");
    d.tileRows.push_back(tiles);
    d.thingRows.push_back(things);
}

void Directive(Reader& r, StageDesign& d, const std::string& text, bool& inMap) {
    std::istringstream words(text);
    std::string word, arg;
    words >> word;
    if (word == "stage" && words >> arg) {
        d.number = ToNumber(r, arg);
    } else if (word == "theme" && words >> arg) {
        d.theme = arg;
    } else if (word == "family" && words >> arg) {
        Family(r, d, arg);
    } else if (word == "tile" && words >> arg) {
        std::string frame;
        if (arg.size() != 1 || !(words >> frame)) r.Fail("tile <character> <frame>");
        d.tiles[arg[0]] = ToNumber(r, frame);
    } else if (word == "enemy") {
        Enemy(r, d, words);
    } else if (word == "first" && words >> arg) {
        if (arg != "tiles" && arg != "things") r.Fail("first tiles|things <cells>");
        (arg == "tiles" ? d.firstTiles : d.firstThings) = Cells(r, words);
    } else if (word == "map") {
        inMap = true;
    } else {
        r.Fail("unknown line: " + text);
    }
}

TileRecord TileAt(const StageDesign& d, int x, int y) {
    const char c = d.tileRows[std::size_t(y)][std::size_t(x)];
    return {x, y, d.tiles.at(c), CellKey(x, y)};
}

EntityRecord ThingAt(const StageDesign& d, int x, int y) {
    const char c = d.thingRows[std::size_t(y)][std::size_t(x)];
    if (auto e = d.enemies.find(c); e != d.enemies.end()) {
        const EnemyDef& def = e->second;
        return {x,         y,          def.type, CellKey(x, y), true, std::string(1, def.axis),
                def.speed, def.before, def.after};
    }
    EntityRecord thing;
    thing.x = x;
    thing.y = y;
    thing.type = kThings.at(c);
    thing.key = CellKey(x, y);
    return thing;
}

// Records of one grid: the listed cells first, then every other filled cell row by row.
template <class Record>
std::vector<Record> Section(const StageDesign& d, const std::vector<std::string>& rows,
                            const std::vector<std::pair<int, int>>& first,
                            Record (*record)(const StageDesign&, int, int)) {
    std::vector<Record> out;
    for (auto [x, y] : first) out.push_back(record(d, x, y));
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < kWide; ++x)
            if (rows[std::size_t(y)][std::size_t(x)] != '.' &&
                std::find(first.begin(), first.end(), std::make_pair(x, y)) == first.end())
                out.push_back(record(d, x, y));
    return out;
}

void Check(const Reader& r, const StageDesign& d) {
    if (d.number < 0) r.Fail("no stage number");
    if (!d.tileRows.empty() && d.tileRows.size() != kHigh) r.Fail("a map has ten rows");
    for (const std::string& row : d.tileRows)
        for (char c : row)
            if (c != '.' && !d.tiles.count(c)) r.Fail(std::string("unknown tile character ") + c);
    for (const std::string& row : d.thingRows)
        for (char c : row)
            if (c != '.' && !kThings.count(c) && !d.enemies.count(c))
                r.Fail(std::string("unknown thing character ") + c);
    for (auto [x, y] : d.firstTiles)
        if (x < 0 || x >= kWide || y < 0 || y >= int(d.tileRows.size()) ||
            d.tileRows[std::size_t(y)][std::size_t(x)] == '.')
            r.Fail("first tiles names an empty cell");
    for (auto [x, y] : d.firstThings)
        if (x < 0 || x >= kWide || y < 0 || y >= int(d.thingRows.size()) ||
            d.thingRows[std::size_t(y)][std::size_t(x)] == '.')
            r.Fail("first things names an empty cell");
}
}  // namespace

StageDesign ParseDesign(const std::string& text, const std::string& name) {
    StageDesign d;
    for (int i = 0; kSceneryChars[i]; ++i) d.tiles[kSceneryChars[i]] = 60 + i;
    Reader r{name};
    std::istringstream lines(text);
    std::string line;
    bool inMap = false;
    while (std::getline(lines, line)) {
        ++r.line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == ';') continue;
        if (inMap && d.tileRows.size() < kHigh) {
            MapRow(r, d, line);
        } else {
            Directive(r, d, line.substr(start), inMap);
        }
    }
    Check(r, d);
    return d;
}

std::string StageLine(const StageDesign& d) {
    return WriteStageLine({Section(d, d.tileRows, d.firstTiles, TileAt),
                           Section(d, d.thingRows, d.firstThings, ThingAt), d.theme});
}

std::string StageFile(const std::vector<StageDesign>& designs, int lines) {
    std::vector<std::string> out(std::size_t(lines), "&&");
    for (const StageDesign& d : designs) {
        if (d.number >= lines)
            throw DesignError("stage " + std::to_string(d.number) + " is past the end");
        out[std::size_t(d.number)] = StageLine(d);
    }
    std::string file;
    for (const std::string& l : out) file += l + "\r\n";
    return file;
}
