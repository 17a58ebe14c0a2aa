#include "screens/screen_table.h"

#include "screens/screen_config.h"
#include "screens/screen_controls.h"
#include "screens/screen_ctrl_config.h"
#include "screens/screen_ending.h"
#include "screens/screen_intro_load.h"
#include "screens/screen_pause.h"
#include "screens/screen_stage_play.h"
#include "screens/screen_stage_ready.h"
#include "screens/screen_title.h"

namespace {
template <class T>
std::unique_ptr<BaseScreenClass> Make() {
    return std::make_unique<T>();
}

const ScreenEntry kScreens[] = {
    {"screen_stage_play", Make<ScreenStagePlay>},   {"screen_stage_ready", Make<ScreenStageReady>},
    {"screen_titlescreen", Make<ScreenTitle>},      {"screen_ending", Make<ScreenEnding>},
    {"screen_introload", Make<ScreenIntroLoad>},    {"screen_config", Make<ScreenConfig>},
    {"screen_controls", Make<ScreenControls>},      {"screen_pause", Make<ScreenPause>},
    {"screen_ctrl_config", Make<ScreenCtrlConfig>},
};
}  // namespace

std::span<const ScreenEntry> GameScreens() {
    return kScreens;
}
