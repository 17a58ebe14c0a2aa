#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/settings.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

const char kDefaults[] =
    "Music=2\r\nSound=1\r\nScanLines=1\r\nFullscreen=1\r\nKeys Left=65\r\nKeys Right=68\r\n"
    "Keys Action=32\r\nKeys Pause=27\r\nJoy Action=0\r\nJoy Pause=7\r\nPlayer Lives=3\r\n"
    "Stage Start=0\r\nStage Final=4\r\nStage Time=25\r\n";

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("USERPROFILE", dir.Path().c_str(), 1);
        ResetConfig();
        InitConfigPath();
    }
    void TearDown() override {
        unsetenv("USERPROFILE");
        ResetConfig();
        configPath.clear();
    }
    std::string File() const { return dir.File("gem_config.ini"); }
    TempDir dir;
};

TEST_F(SettingsTest, FirstRunWritesTheFourteenDefaultLinesAndReadsThemBack) {
    EXPECT_EQ(configPath, File());
    EXPECT_EQ(cfgMusic, 0);  // nothing before the file is read
    LoadConfig();
    EXPECT_EQ(Slurp(File()), kDefaults);
    EXPECT_EQ(cfgMusic, 2);
    EXPECT_EQ(cfgSound, 1);
    EXPECT_EQ(cfgScanLines, 1);
    EXPECT_EQ(cfgFullscreen, 1);
    EXPECT_EQ(cfgKeysLeft, 65);
    EXPECT_EQ(cfgKeysPause, 27);
    EXPECT_EQ(cfgJoyPause, 7);
    EXPECT_EQ(cfgStageFinal, 4);
    EXPECT_EQ(cfgStageTime, 25);
}

TEST_F(SettingsTest, LinesFeedSettingsByKeyOrPositionWithLenientNumbers) {
    Put(File(),
        "Sound=0\nMusic= 3\nX=1=2\nFullscreen=0junk\n\nKeys Right=-68\nKeys Action=$20\n"
        "Keys Pause=9991\nJoy Action=%11\nJoy Pause=\nPlayer Lives=5\nStage Start=1\n"
        "Stage Final=7\nStage Time=30\nExtra=99\n");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 3);  // a sound line placed first feeds the sound setting
    EXPECT_EQ(cfgSound, 0);
    EXPECT_EQ(cfgScanLines, 1);  // no such key: its position, and the text between the "="s
    EXPECT_EQ(cfgFullscreen, 0);
    EXPECT_EQ(cfgKeysLeft, 65);  // an empty line has no "=" and keeps the default
    EXPECT_EQ(cfgKeysRight, -68);
    EXPECT_EQ(cfgKeysAction, 32);
    EXPECT_EQ(cfgKeysPause, 9991);
    EXPECT_EQ(cfgJoyAction, 3);
    EXPECT_EQ(cfgJoyPause, 7);  // an empty value holds no number: the default stays
    EXPECT_EQ(cfgStageTime, 30);
    ASSERT_TRUE(SaveConfig());  // the extra line does not survive a save
    EXPECT_EQ(Slurp(File()).find("Extra"), std::string::npos);
}

// The fault mended: every line fed the setting of its position, so "Fullscreen=0" written first
// set the music step and the game opened a window.
TEST_F(SettingsTest, AFileInAnotherOrderFeedsEverySettingByItsKey) {
    Put(File(),
        "Fullscreen=0\r\nStage Time=40\r\nStage Final=3\r\nStage Start=2\r\n"
        "Player Lives=9\r\nJoy Pause=6\r\nJoy Action=1\r\nKeys Pause=80\r\n"
        "Keys Action=9991\r\nKeys Right=76\r\nKeys Left=74\r\nScanLines=0\r\nSound=0\r\n"
        "Music=4\r\n");
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(cfgFullscreen, 0);
    EXPECT_EQ(cfgMusic, 4);
    EXPECT_EQ(cfgSound, 0);
    EXPECT_EQ(cfgScanLines, 0);
    EXPECT_EQ(cfgKeysLeft, 74);
    EXPECT_EQ(cfgKeysRight, 76);
    EXPECT_EQ(cfgKeysAction, 9991);
    EXPECT_EQ(cfgKeysPause, 80);
    EXPECT_EQ(cfgJoyAction, 1);
    EXPECT_EQ(cfgJoyPause, 6);
    EXPECT_EQ(cfgPlayerLives, 9);
    EXPECT_EQ(cfgStageStart, 2);
    EXPECT_EQ(cfgStageFinal, 3);
    EXPECT_EQ(cfgStageTime, 40);
    // The file the game writes back is in its own order.
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(Slurp(File()),
              "Music=4\r\nSound=0\r\nScanLines=0\r\nFullscreen=0\r\nKeys Left=74\r\n"
              "Keys Right=76\r\nKeys Action=9991\r\nKeys Pause=80\r\nJoy Action=1\r\n"
              "Joy Pause=6\r\nPlayer Lives=9\r\nStage Start=2\r\nStage Final=3\r\n"
              "Stage Time=40\r\n");
}

TEST_F(SettingsTest, KeysAreMatchedWithoutTheSpacesAroundThemAndWithTheirCase) {
    // " Keys Left\t" names Keys Left; "sound" and "Keys  Right" name nothing, so they feed the
    // settings of their positions, the second and the fourth.
    Put(File(), " Keys Left\t= 74\r\nsound=3\r\nStage Time =31\r\nKeys  Right=0\r\n");
    LoadConfig();
    EXPECT_EQ(cfgKeysLeft, 74);
    EXPECT_EQ(cfgMusic, 2);
    EXPECT_EQ(cfgSound, 3);
    EXPECT_EQ(cfgStageTime, 31);
    EXPECT_EQ(cfgScanLines, 1);
    EXPECT_EQ(cfgFullscreen, 0);
    EXPECT_EQ(cfgKeysRight, 68);
}

TEST_F(SettingsTest, ALineNamingASettingWinsOverOneFeedingItByPosition) {
    // Line 1 names no setting, so it feeds the music, until line 3 names it; line 4 would feed
    // the full screen setting by its position, but line 2 has named it. Of two lines naming one
    // setting, the later wins.
    Put(File(), "Volume=4\r\nFullscreen=0\r\nMusic=1\r\nWindowed=1\r\nSound=0\r\nSound=1\r\n");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 1);
    EXPECT_EQ(cfgFullscreen, 0);
    EXPECT_EQ(cfgSound, 1);
    Put(File(), "Volume=4\r\n");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 4);
}

TEST_F(SettingsTest, ANamedLinePastTheFourteenthStillFeedsItsSetting) {
    // A blank line on top moves every line down one: each still reads by its key, and the blank
    // line is not named, as its setting was fed.
    Put(File(), std::string("\r\n") + kDefaults);
    std::string changed = Slurp(File());
    changed.replace(changed.find("Stage Time=25"), 13, "Stage Time=50");
    Put(File(), changed);
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(cfgMusic, 2);
    EXPECT_EQ(cfgStageTime, 50);
    // Past the fourteenth, a line with no number changes nothing, and a line naming no setting
    // is ignored, as every line there always was.
    Put(File(), std::string(kDefaults) + "Music=oops\r\nMusik=4\r\n");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 2);
}

TEST_F(SettingsTest, EveryFileTheGameWritesReadsBackAsWritten) {
    LoadConfig();
    int value = -3;
    for (int* setting : {&cfgMusic, &cfgSound, &cfgScanLines, &cfgFullscreen, &cfgKeysLeft,
                         &cfgKeysRight, &cfgKeysAction, &cfgKeysPause, &cfgJoyAction, &cfgJoyPause,
                         &cfgPlayerLives, &cfgStageStart, &cfgStageFinal, &cfgStageTime})
        *setting = value++;
    ASSERT_TRUE(SaveConfig());
    ResetConfig();
    LoadConfig();
    value = -3;
    for (int setting : {cfgMusic, cfgSound, cfgScanLines, cfgFullscreen, cfgKeysLeft, cfgKeysRight,
                        cfgKeysAction, cfgKeysPause, cfgJoyAction, cfgJoyPause, cfgPlayerLives,
                        cfgStageStart, cfgStageFinal, cfgStageTime})
        EXPECT_EQ(setting, value++);
}

TEST_F(SettingsTest, ShortOrJunkFilesKeepDefaultsForWhatTheyDoNotSupply) {
    Put(File(), "Music=4\r\nSound=0");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 4);
    EXPECT_EQ(cfgSound, 0);  // the last line needs no line feed
    EXPECT_EQ(cfgScanLines, 1);
    EXPECT_EQ(cfgStageTime, 25);

    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 37 + 11) & 0xff));
    Put(File(), junk);
    LoadConfig();  // must not crash; whatever it reads is an int
    Put(File(), "Music=" + std::string(1 << 20, '7') + "\nSound=0\n");
    LoadConfig();
    EXPECT_EQ(cfgSound, 0);
    EXPECT_EQ(cfgScanLines, 1);
    Put(File(), "");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 2);
    EXPECT_EQ(cfgFullscreen, 1);
}

TEST_F(SettingsTest, UnreadableFileKeepsDefaults) {
    std::filesystem::create_directory(File());  // a folder where the file should be
    LoadConfig();
    EXPECT_EQ(cfgMusic, 2);
    EXPECT_EQ(cfgKeysAction, 32);
    EXPECT_FALSE(SaveConfig());
    EXPECT_TRUE(std::filesystem::is_directory(File()));
}

TEST_F(SettingsTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryFiles) {
    LoadConfig();
    cfgMusic = 0;
    cfgKeysAction = 9991;
    cfgStageTime = -5;
    ASSERT_TRUE(SaveConfig());
    std::string text = Slurp(File());
    EXPECT_NE(text.find("Music=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("Keys Action=9991\r\n"), std::string::npos);
    EXPECT_NE(text.find("Stage Time=-5\r\n"), std::string::npos);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(SettingsTest, FailedSaveKeepsTheOldFileAndTheSettingsInMemory) {
    LoadConfig();
    configPath = dir.File("missing-folder/gem_config.ini");
    cfgMusic = 4;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveConfig());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);
    EXPECT_EQ(cfgMusic, 4);
    EXPECT_EQ(Slurp(File()), kDefaults);
}

TEST_F(SettingsTest, ASavedLinkStaysALinkAndItsTargetIsWritten) {
    const std::string target = dir.File("dotfiles/kestrune.ini");
    std::filesystem::create_directory(dir.File("dotfiles"));
    Put(target, kDefaults);
    std::filesystem::create_symlink("dotfiles/kestrune.ini", File());  // relative, as stow makes
    LoadConfig();
    cfgMusic = 3;
    ASSERT_TRUE(SaveConfig());
    EXPECT_TRUE(std::filesystem::is_symlink(File()));
    EXPECT_NE(Slurp(target).find("Music=3\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target + ".new"));
    EXPECT_FALSE(std::filesystem::exists(File() + ".new"));
}

TEST_F(SettingsTest, APrivateFileStaysPrivate) {
    Put(File(), kDefaults);
    std::filesystem::permissions(
        File(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    LoadConfig();
    cfgSound = 0;
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(std::filesystem::status(File()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_NE(Slurp(File()).find("Sound=0\r\n"), std::string::npos);
}

TEST_F(SettingsTest, TheFileACrashLeftHalfWrittenIsRemovedAtStartUp) {
    Put(File(), kDefaults);
    Put(File() + ".new", "Music=");
    LoadConfig();
    EXPECT_FALSE(std::filesystem::exists(File() + ".new"));
    EXPECT_EQ(cfgMusic, 2);
}

TEST_F(SettingsTest, AWriteThatFailsKeepsTheOldFileAndTheValuesInMemory) {
    Put(File(), kDefaults);
    LoadConfig();
    // Something in the way of the temporary file: the save cannot even begin.
    std::filesystem::create_directory(File() + ".new");
    cfgMusic = 1;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveConfig());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);
    EXPECT_EQ(cfgMusic, 1);
    EXPECT_EQ(Slurp(File()), kDefaults);
}

TEST_F(SettingsTest, LinesThatCannotBeReadAreNamedOnceOnStderr) {
    Put(File(), "Music=3\r\nSound\r\nScanLines=off\r\nFullscreen=no\r\nKeys Left=74 # J\r\n");
    testing::internal::CaptureStderr();
    LoadConfig();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(File()), std::string::npos);
    EXPECT_NE(said.find("line 2: no \"=\" (default kept)"), std::string::npos) << said;
    EXPECT_NE(said.find("lines 3-4: no number (default kept)"), std::string::npos) << said;
    EXPECT_NE(said.find("\"ScanLines=off\"; \"Fullscreen=no\""), std::string::npos) << said;
    EXPECT_NE(said.find("lines 6-14: missing (default kept)"), std::string::npos) << said;
    // What was read stays read; the rest keeps its defaults.
    EXPECT_EQ(cfgMusic, 3);
    EXPECT_EQ(cfgSound, 1);
    EXPECT_EQ(cfgScanLines, 1);
    EXPECT_EQ(cfgFullscreen, 1);  // "no" is not 0, which would mean full screen
    EXPECT_EQ(cfgKeysLeft, 74);   // trailing text after a number is allowed
    EXPECT_EQ(cfgKeysRight, 68);
    // A good file says nothing.
    Put(File(), kDefaults);
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SettingsFolderTest, LinuxFolderWhenNoProfileVariable) {
    TempDir dir;
    unsetenv("USERPROFILE");
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(SettingsFolder(), dir.Path() + "/kestrune");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/kestrune"));
    unsetenv("XDG_CONFIG_HOME");
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.Path().c_str(), 1);
    InitConfigPath();
    EXPECT_EQ(configPath, dir.Path() + "/.config/kestrune/gem_config.ini");
    if (home.empty())
        unsetenv("HOME");
    else
        setenv("HOME", home.c_str(), 1);
    configPath.clear();
}

TEST(SettingsFolderTest, ProfileFolderIsUsedAsItIsWithASlash) {
    setenv("USERPROFILE", "/tmp/some profile", 1);
    InitConfigPath();
    EXPECT_EQ(configPath, "/tmp/some profile/gem_config.ini");
    unsetenv("USERPROFILE");
    configPath.clear();
}

}  // namespace
