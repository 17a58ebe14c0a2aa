#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/screen_manager.h"

namespace {

std::vector<std::string> g_log;

class LoggingScreen : public BaseScreenClass {
  public:
    explicit LoggingScreen(std::string name) : name_(std::move(name)) {}
    int Create() override { return Log("Create"); }
    int Start() override { return Log("Start"); }
    int Finish() override { return Log("Finish"); }
    int Update() override { return Log("Update"); }
    int Render() override { return Log("Render"); }

  private:
    int Log(const char* hook) {
        g_log.push_back(name_ + "." + hook);
        return 0;
    }
    std::string name_;
};

class ScreenManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_log.clear();
        manager.Add("a", std::make_unique<LoggingScreen>("a"));
        manager.Add("b", std::make_unique<LoggingScreen>("b"));
    }
    ScreenClass manager;
};

TEST_F(ScreenManagerTest, AddRunsCreateOnceAndNothingRunsBeforeTheFirstShow) {
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.Create", "b.Create"}));
    manager.Update();
    manager.Render();
    EXPECT_EQ(g_log.size(), 2u);
    EXPECT_EQ(manager.ActiveName(), "");
}

TEST_F(ScreenManagerTest, ShowFinishesTheOldScreenThenStartsTheNew) {
    manager.Show("a");
    BaseScreenClass* first = manager.activeScreen;
    manager.Show("b");
    manager.Show("a");
    EXPECT_EQ(manager.activeScreen, first);  // the same object comes back, not a fresh one
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.Create", "b.Create", "a.Start", "a.Finish",
                                               "b.Start", "b.Finish", "a.Start"}));
}

TEST_F(ScreenManagerTest, ShowingTheActiveScreenRestartsIt) {
    manager.Show("a");
    g_log.clear();
    manager.Show("a");
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.Finish", "a.Start"}));
}

TEST_F(ScreenManagerTest, UnknownNameKeepsTheCurrentScreen) {
    manager.Show("a");
    g_log.clear();
    testing::internal::CaptureStderr();
    manager.Show("screen_nowhere");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("screen_nowhere"), std::string::npos);
    EXPECT_EQ(manager.ActiveName(), "a");
    EXPECT_TRUE(g_log.empty());
    manager.Update();
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.Update"}));
}

TEST_F(ScreenManagerTest, ReplacingTheActiveScreenNeverLeavesADanglingPointer) {
    manager.Show("a");
    manager.Add("a", std::make_unique<LoggingScreen>("a2"));
    manager.Update();
    EXPECT_EQ(g_log.back(), "a2.Update");
}

// A screen that switches away inside its own Update, as the game's screens do.
class SwitchingScreen : public LoggingScreen {
  public:
    SwitchingScreen(ScreenClass& m) : LoggingScreen("s"), m_(m) {}
    int Update() override {
        LoggingScreen::Update();
        m_.Show("b");
        g_log.push_back("s.after-show");
        return 0;
    }

  private:
    ScreenClass& m_;
};

TEST_F(ScreenManagerTest, ASwitchInsideUpdateRendersTheNewScreenInTheSameFrame) {
    manager.Add("s", std::make_unique<SwitchingScreen>(manager));
    manager.Show("s");
    g_log.clear();
    manager.Update();
    manager.Render();
    EXPECT_EQ(g_log, (std::vector<std::string>{"s.Update", "s.Finish", "b.Start", "s.after-show",
                                               "b.Render"}));
}

}  // namespace
