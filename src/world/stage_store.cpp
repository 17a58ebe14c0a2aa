#include "world/stage_store.h"

#include "engine/stream.h"
#include "engine/text.h"
#include "toolkit/resets.h"

namespace {
constexpr const char* kStageFile = "incbin::../assets/stage.dat";
}  // namespace

void StageStore::GetDataFromExtFile() {
    RegisterReset(&StageStore::Reset);
    std::unique_ptr<TStream> in = ReadStream(kStageFile);
    if (!in) return;
    while (!in->Eof()) StageData[FromInt(MapCount(StageData))] = in->ReadLine();
    in->Close();
}

std::vector<std::string> StageStore::GetStageString(int stageNumber) {
    auto it = StageData.find(FromInt(stageNumber));
    return Split(it == StageData.end() ? std::string() : it->second, "&");
}

StageRecord StageStore::GetStage(int stageNumber) {
    auto it = StageData.find(FromInt(stageNumber));
    return ParseStageLine(it == StageData.end() ? std::string() : it->second);
}

void StageStore::Reset() {
    state_ = StageStoreState{};
}
