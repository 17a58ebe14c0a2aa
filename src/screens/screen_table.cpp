#include "screens/screen_table.h"

#include "screens/screen_config.h"
#include "screens/screen_controls.h"
#include "screens/screen_ctrl_config.h"
#include "screens/screen_ending.h"
#include "screens/screen_intro_load.h"
#include "screens/screen_names.h"
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
    {SCREEN_STAGE_PLAY, Make<ScreenStagePlay>},
    {SCREEN_STAGE_READY, Make<ScreenStageReady>},
    {SCREEN_TITLE, Make<ScreenTitle>},
    {SCREEN_ENDING, Make<ScreenEnding>},
    {SCREEN_INTRO_LOAD, Make<ScreenIntroLoad>},
    {SCREEN_CONFIG, Make<ScreenConfig>},
    {SCREEN_CONTROLS, Make<ScreenControls>},
    {SCREEN_PAUSE, Make<ScreenPause>},
    {SCREEN_CTRL_CONFIG, Make<ScreenCtrlConfig>},
};
}  // namespace

std::span<const ScreenEntry> GameScreens() {
    return kScreens;
}
