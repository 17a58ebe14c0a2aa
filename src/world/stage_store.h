#pragma once
// The stage file: one stage per line, read once into a table of lines, and handed out one stage
// at a time cut into its three sections (tile records, entity records, theme).

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "world/stage_record.h"

// The class-level globals of StageStore with their start values, so Reset cannot miss one.
struct StageStoreState {
    // Line number as decimal text ("0", "1", ...) -> the text of that line.
    std::map<std::string, std::string> StageData;
};

class StageStore {
    static inline StageStoreState state_;

  public:
    static inline std::map<std::string, std::string>& StageData = state_.StageData;

    // Reads the embedded stage file into StageData, one entry per line.
    static void GetDataFromExtFile();
    // The stage's line split at every "&": three pieces for a well-formed line, one empty piece
    // for a stage number the file does not hold.
    static std::vector<std::string> GetStageString(int stageNumber);
    // The stage's line read into records; an empty stage for a number the file does not hold.
    static StageRecord GetStage(int stageNumber);
    // Everything back to its start value (tests).
    static void Reset();
};

// The number of non-null values of a map: every value for plain values, the set pointers for
// owning ones.
template <class Map>
int MapCount(const Map& map) {
    int count = 0;
    for (const auto& entry : map) {
        if constexpr (std::is_constructible_v<bool, const typename Map::mapped_type&>) {
            if (!entry.second) continue;
        }
        ++count;
    }
    return count;
}
