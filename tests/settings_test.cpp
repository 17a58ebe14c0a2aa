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

TEST_F(SettingsTest, LinesFeedSettingsByPositionWithLenientNumbers) {
    Put(File(),
        "Sound=0\nMusic= 3\nX=1=2\nFullscreen=0junk\n\nKeys Right=-68\nKeys Action=$20\n"
        "Keys Pause=9991\nJoy Action=%11\nJoy Pause=\nPlayer Lives=5\nStage Start=1\n"
        "Stage Final=7\nStage Time=30\nExtra=99\n");
    LoadConfig();
    EXPECT_EQ(cfgMusic, 0);  // a sound line placed first feeds the music step
    EXPECT_EQ(cfgSound, 3);
    EXPECT_EQ(cfgScanLines, 1);  // the text between the first and second "="
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
