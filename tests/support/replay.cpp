#include "support/replay.h"

#include <sstream>

#include "engine/input.h"

namespace {
constexpr int kLeftKey = vk::A;
constexpr int kRightKey = vk::A + ('D' - 'A');
constexpr int kJumpKey = vk::SPACE;

void Hold(int key, bool held) {
    InputEvent e{held ? InputEvent::KEY_DOWN : InputEvent::KEY_UP, key};
    // A repeat marks the key as down without counting a press.
    e.repeat = held;
    PostInputEvent(e);
}

bool ParseLetters(const std::string& word, TickKeys& keys) {
    if (word == "-") return true;
    std::size_t i = 0;
    auto take = [&](char c, bool& flag) {
        if (i < word.size() && word[i] == c) {
            flag = true;
            ++i;
        }
    };
    take('L', keys.left);
    take('R', keys.right);
    take('J', keys.jump);
    return i == word.size() && i > 0;
}
}  // namespace

std::vector<TickKeys> Replay::Ticks() const {
    std::vector<TickKeys> ticks;
    for (const ReplayRun& run : runs) ticks.insert(ticks.end(), std::size_t(run.ticks), run.keys);
    return ticks;
}

Replay Replay::FromTicks(const std::vector<TickKeys>& ticks) {
    Replay r;
    for (const TickKeys& k : ticks) {
        if (!r.runs.empty() && r.runs.back().keys == k) {
            ++r.runs.back().ticks;
        } else {
            r.runs.push_back({1, k});
        }
    }
    return r;
}

int Replay::TickCount() const {
    int n = 0;
    for (const ReplayRun& run : runs) n += run.ticks;
    return n;
}

std::string KeyLetters(const TickKeys& k) {
    std::string s;
    if (k.left) s += 'L';
    if (k.right) s += 'R';
    if (k.jump) s += 'J';
    return s.empty() ? "-" : s;
}

bool ParseReplay(const std::string& text, Replay& out, std::string& error) {
    out = Replay{};
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '#') {
            out.comments.push_back(line.substr(1));
            continue;
        }
        std::istringstream words(line);
        ReplayRun run;
        std::string letters, rest;
        if (!(words >> run.ticks >> letters) || words >> rest || run.ticks <= 0 ||
            !ParseLetters(letters, run.keys)) {
            error = "line " + std::to_string(number) + ": expected \"<ticks> <L|R|J|->\": " + line;
            return false;
        }
        out.runs.push_back(run);
    }
    return true;
}

std::string FormatReplay(const Replay& replay) {
    std::string text;
    for (const std::string& c : replay.comments) text += "#" + c + "\n";
    for (const ReplayRun& run : replay.runs)
        text += std::to_string(run.ticks) + " " + KeyLetters(run.keys) + "\n";
    return text;
}

void PostTickKeys(const TickKeys& before, const TickKeys& now) {
    Hold(kLeftKey, now.left);
    Hold(kRightKey, now.right);
    if (now.jump && !before.jump) {
        // Up first, so the press counts even if the table still had the key down.
        PostInputEvent({InputEvent::KEY_UP, kJumpKey});
        PostInputEvent({InputEvent::KEY_DOWN, kJumpKey});
    } else {
        Hold(kJumpKey, now.jump);
    }
}
