#pragma once
// The stage file's one format: a line of the file as typed records, read by one parse and written
// by one write, for the loader, the stage builder, the tests' stages and the fuzzer alike.
//
// A line holds three sections separated by "&": tile records, entity records, the theme. Each
// record ends in "/" and its fields are separated by ",". Numbers are read leniently (an empty
// or non-numeric field is 0); a record with fewer fields reads the missing ones as empty.

#include <string>
#include <vector>

// The play field: twelve columns by ten rows.
constexpr int STAGE_COLUMNS = 12;
constexpr int STAGE_ROWS = 10;

// Tile frames of scenery: drawn, but blocking nothing.
constexpr int SCENERY_FIRST = 60;
constexpr int SCENERY_LAST = 71;
// The wrap-around twins of a solid tile at the field's edge: invisible wall pieces just past
// the far edge, keyed by their row plus these offsets, drawn with this frame.
constexpr int TWIN_OF_RIGHT_EDGE = 900;
constexpr int TWIN_OF_LEFT_EDGE = 700;
constexpr int TWIN_FRAME = 7;

// Entity types besides the enemy kinds (src/actors/enemy_kinds.def): gems of six colours and the
// gold coin.
constexpr int GEM_FIRST = 0;
constexpr int GEM_LAST = 5;
constexpr int GOLD_COIN = 36;

struct TileRecord {
    int x = 0;
    int y = 0;
    int frame = 0;
    std::string key;
    bool operator==(const TileRecord&) const = default;
};

struct EntityRecord {
    int x = 0;
    int y = 0;
    int type = 0;
    std::string key;
    // A patrolling enemy's axis ("h" or "v", for readers of the file), its speed as written
    // ("0.5", "-0.5") and the tiles it may go before and after its cell. Written only when
    // `patrols`: other records end in ",,,,".
    bool patrols = false;
    std::string axis;
    std::string speed;
    int before = 0;
    int after = 0;

    // The speed as a number; a number beyond a float's range is held at its largest value.
    float Speed() const;
    bool operator==(const EntityRecord&) const = default;
};

struct StageRecord {
    std::vector<TileRecord> tiles;
    std::vector<EntityRecord> entities;
    // The theme as written; empty in a line that has none.
    std::string theme;

    // The theme as a number (0 for none).
    int Theme() const;
    bool operator==(const StageRecord&) const = default;
};

// The key of a cell: its index y * 12 + x as text.
std::string CellKey(int x, int y);
// The key of a row's wrap-around twin: the row plus TWIN_OF_RIGHT_EDGE or TWIN_OF_LEFT_EDGE.
std::string TwinKey(int row, int offset);

// Reads a stage line (without its line break). Missing sections are empty; each section's last
// piece, the rest after the final "/", is never a record.
StageRecord ParseStageLine(const std::string& line);
// The record as the file holds it, with its closing "/".
std::string WriteRecord(const TileRecord& tile);
std::string WriteRecord(const EntityRecord& entity);
// The stage line ParseStageLine reads back to the same records.
std::string WriteStageLine(const StageRecord& stage);
