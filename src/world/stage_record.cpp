#include "world/stage_record.h"

#include <algorithm>
#include <cfloat>

#include "engine/text.h"

namespace {
// Piece `index`, or the empty text when there are fewer pieces: a hand-edited line with missing
// sections or fields reads the missing ones as empty.
const std::string& Piece(const std::vector<std::string>& pieces, std::size_t index) {
    static const std::string empty;
    return index < pieces.size() ? pieces[index] : empty;
}

// The records of a section: every piece before the last "/".
std::vector<std::vector<std::string>> Records(const std::string& section) {
    const std::vector<std::string> pieces = Split(section, "/");
    std::vector<std::vector<std::string>> records;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) records.push_back(Split(pieces[i], ","));
    return records;
}

TileRecord ReadTile(const std::vector<std::string>& f) {
    return {ToInt(Piece(f, 0)), ToInt(Piece(f, 1)), ToInt(Piece(f, 2)), Piece(f, 3)};
}

EntityRecord ReadEntity(const std::vector<std::string>& f) {
    bool patrols = false;
    for (std::size_t i = 4; i < 8; ++i) patrols = patrols || !Piece(f, i).empty();
    return {ToInt(Piece(f, 0)), ToInt(Piece(f, 1)), ToInt(Piece(f, 2)), Piece(f, 3),       patrols,
            Piece(f, 4),        Piece(f, 5),        ToInt(Piece(f, 6)), ToInt(Piece(f, 7))};
}
}  // namespace

float EntityRecord::Speed() const {
    const double v = ToDouble(speed);
    return float(std::clamp(v, double(-FLT_MAX), double(FLT_MAX)));
}

int StageRecord::Theme() const {
    return ToInt(theme);
}

std::string CellKey(int x, int y) {
    return std::to_string(static_cast<long long>(y) * STAGE_COLUMNS + x);
}

std::string TwinKey(int row, int offset) {
    return std::to_string(static_cast<long long>(row) + offset);
}

StageRecord ParseStageLine(const std::string& line) {
    const std::vector<std::string> sections = Split(line, "&");
    StageRecord stage;
    for (const auto& f : Records(Piece(sections, 0))) stage.tiles.push_back(ReadTile(f));
    for (const auto& f : Records(Piece(sections, 1))) stage.entities.push_back(ReadEntity(f));
    stage.theme = Piece(sections, 2);
    return stage;
}

std::string WriteRecord(const TileRecord& t) {
    return std::to_string(t.x) + "," + std::to_string(t.y) + "," + std::to_string(t.frame) + "," +
           t.key + "/";
}

std::string WriteRecord(const EntityRecord& e) {
    std::string record = std::to_string(e.x) + "," + std::to_string(e.y) + "," +
                         std::to_string(e.type) + "," + e.key;
    if (!e.patrols) return record + ",,,,/";
    return record + "," + e.axis + "," + e.speed + "," + std::to_string(e.before) + "," +
           std::to_string(e.after) + "/";
}

std::string WriteStageLine(const StageRecord& stage) {
    std::string line;
    for (const TileRecord& t : stage.tiles) line += WriteRecord(t);
    line += "&";
    for (const EntityRecord& e : stage.entities) line += WriteRecord(e);
    return line + "&" + stage.theme;
}
