// The whole game under random input for a long time: keys, typed characters, pads plugged and
// unplugged with random buttons, sticks and hats, and the mouse, over every screen, with a fixed
// seed. After every frame it checks what a player relies on. KESTRUNE_SOAK_FRAMES sets the length
// (scripts/soak.sh runs a million frames and reports the memory).

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "actors/player.h"
#include "engine/input.h"
#include "engine/system.h"
#include "screens/screen_title.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "support/fake_input.h"
#include "support/harness.h"
#include "world/stage_actual.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    return -1;
}

class RandomPlayer {
  public:
    explicit RandomPlayer(unsigned seed) : rng_(seed) {}

    // This frame's input. Never the close request, and never the title's QUIT confirmed: on the
    // title a frame either moves the selection or confirms it, and never confirms QUIT.
    void Act() {
        const int title = TitleSelection();
        const bool confirm = title < 0 || (title != 3 && Chance(50));
        for (int i = Pick(0, 3); i > 0; --i) Key(title >= 0, confirm);
        if (Chance(5))
            PostInputEvent(
                {InputEvent::CHAR, Pick(0, 3) == 0 ? Pick(256, 0x10FFFF) : Pick(1, 255)});
        if (Chance(2)) MouseToWindow(Pick(-50, 1100), Pick(-50, 800));
        if (Chance(1)) (Chance(50) ? MousePress(Pick(1, 3)) : MouseRelease(Pick(1, 3)));
        Pads(title >= 0, confirm);
    }

  private:
    bool Chance(int percent) { return Pick(0, 99) < percent; }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // The title's selected item, or -1 on any other screen.
    static int TitleSelection() {
        auto* title = dynamic_cast<ScreenTitle*>(screenManager->activeScreen);
        return title ? title->SelectedItemKey : -1;
    }

    static bool Confirms(int key) { return key == 32 || key == 13; }
    static bool Moves(int key) { return key >= 37 && key <= 40; }

    void Key(bool title, bool confirm) {
        static const int kKeys[] = {37, 38, 39, 40, 32, 13, 27, 65, 68,  74, 75,
                                    76, 80, 49, 50, 51, 16, 8,  9,  112, 90, 48};
        const int key = kKeys[Pick(0, int(std::size(kKeys)) - 1)];
        const bool down = Chance(55);
        if (title && down && (confirm ? Moves(key) : Confirms(key))) return;
        InputEvent e{down ? InputEvent::KEY_DOWN : InputEvent::KEY_UP, key};
        e.repeat = Chance(10);
        PostInputEvent(e);
    }

    void Pads(bool title, bool confirm) {
        if (Chance(1)) {
            if (!pads_.empty() && Chance(50)) {
                DetachJoystick(pads_.back().first);
                pads_.pop_back();
            } else if (pads_.size() < 2) {
                ++lastId_;
                pads_.push_back({lastId_, &AttachFakeJoystick(lastId_)});
            }
        }
        if (pads_.empty()) return;
        FakeJoystick& pad = *pads_[std::size_t(Pick(0, int(pads_.size()) - 1))].second;
        if (Chance(10)) pad.buttons = std::uniform_int_distribution<unsigned>(0, 0xffffu)(rng_);
        if (Chance(10)) pad.axes[std::size_t(Pick(0, 5))] = float(Pick(-110, 110)) / 100.0f;
        if (Chance(5)) pad.hat = Chance(30) ? -1.0f : float(Pick(0, 7)) / 8.0f;
        if (!title) return;
        // On the title every pad either confirms with its stick and hat at rest or moves without
        // confirming.
        for (auto& [id, p] : pads_) {
            if (confirm) {
                p->axes[0] = 0;
                p->axes[1] = 0;
                p->hat = -1;
            } else {
                p->Let(0);
                if (cfgJoyAction >= 0 && cfgJoyAction < 16) p->Let(cfgJoyAction);
            }
        }
    }

    std::mt19937 rng_;
    // The attached pads by platform id, in the order they were plugged in.
    std::vector<std::pair<int, FakeJoystick*>> pads_;
    int lastId_ = 0;
};

// What must hold after every frame, whatever was pressed.
void CheckInvariants(const Harness& h, long frame) {
    static const std::set<std::string> kScreens = {
        "screen_stage_play", "screen_stage_ready", "screen_titlescreen",
        "screen_ending",     "screen_introload",   "screen_config",
        "screen_controls",   "screen_pause",       "screen_ctrl_config"};
    ASSERT_TRUE(kScreens.count(screenManager->ActiveName())) << "frame " << frame;
    ASSERT_TRUE(std::isfinite(Player::X) && std::isfinite(Player::Y)) << "frame " << frame;
    ASSERT_GE(Player::Lives, -1) << "frame " << frame;
    ASSERT_LE(Player::Lives, cfgPlayerLives) << "frame " << frame;
    ASSERT_GE(StageActual::StageNumber, 0) << "frame " << frame;
    ASSERT_LE(StageActual::StageNumber, StageActual::FinalStage) << "frame " << frame;
    for (const auto& [key, tile] : StageActual::Tiles) ASSERT_NE(tile, nullptr) << key;
    for (const auto& [key, gem] : StageActual::Gems) ASSERT_NE(gem, nullptr) << key;
    for (const auto& enemy : StageActual::Enemies) ASSERT_NE(enemy, nullptr);
    for (const DrawCall& c : h.driver.calls)
        ASSERT_TRUE(std::isfinite(c.x0) && std::isfinite(c.y0) && std::isfinite(c.x1) &&
                    std::isfinite(c.y1) && std::isfinite(c.tx) && std::isfinite(c.ty))
            << "frame " << frame;
}

TEST(Soak, RandomInputOverEveryScreenKeepsTheGameWhole) {
    const char* asked = std::getenv("KESTRUNE_SOAK_FRAMES");
    const long frames = asked ? std::atol(asked) : 50000;
    HarnessOptions o;
    o.silentAudio = true;  // a recording driver would keep every call of the run
    Harness h(o);
    // Random input must never end the game: if anything calls End, fail loudly instead of
    // leaving with the exit code of a clean end.
    static long frame = 0;
    static void (*const endedItself)() = [] {
        std::fprintf(stderr, "the game ended itself at frame %ld on %s\n", frame,
                     screenManager ? screenManager->ActiveName().c_str() : "no screen");
        std::_Exit(3);
    };
    AddExitHook(endedItself, ExitStage::Game);
    RandomPlayer player(20261209);
    const long startKiB = ResidentKiB();
    const auto started = std::chrono::steady_clock::now();
    std::set<std::string> visited;
    for (frame = 1; frame <= frames; ++frame) {
        player.Act();
        h.RunFrames(1);
        CheckInvariants(h, frame);
        if (HasFatalFailure()) break;
        visited.insert(screenManager->ActiveName());
    }
    // The harness's shutdown runs the exit hooks too: this one is for the game ending itself.
    RemoveExitHook(endedItself);
    if (HasFatalFailure()) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "%ld frames in %.1f s (%.0f frames a second); resident memory %ld KiB at the "
        "start, %ld KiB at the end; %zu screens visited\n",
        frames, seconds, double(frames) / seconds, startKiB, ResidentKiB(), visited.size());
    // Random keys reach every screen but the controls' configuration, which needs a careful
    // hand; the game is not stuck on any one of them.
    EXPECT_GE(visited.size(), 6u);
}

}  // namespace
