#include "support/frame_listing.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <type_traits>

namespace {

constexpr const char* kKindNames[] = {"RECT", "LINE",  "OVAL",   "POLY",
                                      "PLOT", "FRAME", "PIXMAP", "CLS"};
// More calls in one frame than this is a damaged listing, not a frame.
constexpr std::size_t kMostCalls = 1u << 20;

// Numbers as text that reads back to the same bits: floats in their shortest exact form.
void Put(std::string& out, float v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    out.append(text, end);
}
void Put(std::string& out, int v) {
    out += std::to_string(v);
}
void Put(std::string& out, bool v) {
    out += v ? '1' : '0';
}
void Put(std::string& out, DrawCall::Kind v) {
    const auto k = static_cast<std::size_t>(v);
    out += k < std::size(kKindNames) ? kKindNames[k] : std::to_string(int(v));
}
void Put(std::string& out, const std::vector<float>& v) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i > 0) out += ',';
        Put(out, v[i]);
    }
}

bool Same(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}
template <class T>
bool Same(const T& a, const T& b) {
    return a == b;
}
bool Same(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!Same(a[i], b[i])) return false;
    return true;
}

template <class T>
bool ParseNumber(std::string_view s, T& v, int base = 10) {
    const char* end = s.data() + s.size();
    std::from_chars_result r{};
    if constexpr (std::is_floating_point_v<T>)
        r = std::from_chars(s.data(), end, v);
    else
        r = std::from_chars(s.data(), end, v, base);
    return !s.empty() && r.ec == std::errc() && r.ptr == end;
}
bool Parse(std::string_view s, float& v) {
    return ParseNumber(s, v);
}
bool Parse(std::string_view s, int& v) {
    return ParseNumber(s, v);
}
bool Parse(std::string_view s, bool& v) {
    if (s != "0" && s != "1") return false;
    v = s == "1";
    return true;
}
bool Parse(std::string_view s, DrawCall::Kind& v) {
    for (std::size_t k = 0; k < std::size(kKindNames); ++k)
        if (s == kKindNames[k]) {
            v = static_cast<DrawCall::Kind>(k);
            return true;
        }
    return false;
}
bool Parse(std::string_view s, std::vector<float>& v) {
    v.clear();
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        float x = 0;
        if (!Parse(s.substr(0, comma), x)) return false;
        v.push_back(x);
        s = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
    }
    return true;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        if (space != 0) words.push_back(line.substr(0, space));
        if (space == std::string_view::npos) break;
        line = line.substr(space + 1);
    }
    return words;
}

std::string Hex(std::uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

bool SameSound(const TracedSound& a, const TracedSound& b) {
    return a.op == b.op && a.sound == b.sound && Same(a.value, b.value);
}

std::string SoundsText(const std::vector<TracedSound>& sounds) {
    if (sounds.empty()) return "none";
    std::string text;
    for (const TracedSound& s : sounds) {
        if (!text.empty()) text += ", ";
        text += s.op + " " + std::to_string(s.sound) + " ";
        Put(text, s.value);
    }
    return text;
}

// The index of the call of the frame before (m calls) that call i of a frame of n calls follows,
// m for none: the same index before the split, the one as far from the end after the calls that
// came in at the split.
std::size_t Followed(std::size_t i, std::size_t split, std::size_t n, std::size_t m) {
    if (i < split) return i < m ? i : m;
    return i + m >= n + split ? i + m - n : m;
}

// The split that leaves the fewest calls of `after` differing from the calls they follow in
// `before`.
std::size_t BestSplit(const std::vector<DrawCall>& before, const std::vector<DrawCall>& after) {
    const std::size_t n = after.size(), m = before.size();
    if (n == m) return n;
    const std::size_t added = n > m ? n - m : 0;
    // head[s]: calls before s that differ from the same index; tail[s]: calls from s on that
    // differ from the call as far from the end.
    std::vector<std::size_t> head(n + 1, 0), tail(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        head[i + 1] = head[i] + (i < m && SameCall(before[i], after[i]) ? 0 : 1);
    for (std::size_t i = n; i-- > 0;)
        tail[i] = tail[i + 1] + (i + m >= n && SameCall(before[i + m - n], after[i]) ? 0 : 1);
    auto cost = [&](std::size_t s) { return head[s] + tail[std::min(n, s + added)]; };
    std::size_t best = 0;
    for (std::size_t s = 1; s <= n; ++s)
        if (cost(s) < cost(best)) best = s;
    return best;
}

}  // namespace

bool SameCall(const DrawCall& a, const DrawCall& b) {
    bool same = true;
    ForEachField([&](const char*, const auto& x, const auto& y) { same = same && Same(x, y); }, a,
                 b);
    return same;
}

void FrameListingWriter::Add(const TracedFrame& frame) {
    const std::size_t n = frame.calls.size(), m = previous_.size(),
                      split = BestSplit(previous_, frame.calls);
    text_ += "f " + std::to_string(frame.number) + " " + Hex(frame.digest) + " " +
             std::to_string(n) + " " + std::to_string(split) + "\n";
    const DrawCall fresh;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = Followed(i, split, n, m);
        const DrawCall& before = j < m ? previous_[j] : fresh;
        std::string fields;
        ForEachField(
            [&](const char* name, const auto& was, const auto& now) {
                if (Same(was, now)) return;
                (fields += ' ') += name;
                fields += '=';
                Put(fields, now);
            },
            before, frame.calls[i]);
        if (!fields.empty()) text_ += "c " + std::to_string(i) + fields + "\n";
    }
    for (const TracedSound& s : frame.sounds) {
        text_ += "s " + s.op + " " + std::to_string(s.sound) + " ";
        Put(text_, s.value);
        text_ += '\n';
    }
    previous_ = frame.calls;
}

std::string_view FrameListingReader::PeekLine() const {
    const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
    return std::string_view(text_).substr(pos_, end - pos_);
}

void FrameListingReader::SkipLine() {
    pos_ = std::min(text_.find('\n', pos_), text_.size() - 1) + 1;
    ++lineNumber_;
}

bool FrameListingReader::Fail(std::string_view line) {
    error_ =
        "line " + std::to_string(lineNumber_) + " \"" + std::string(line) + "\" cannot be read";
    return false;
}

bool FrameListingReader::Next() {
    if (!error_.empty()) return false;
    while (pos_ < text_.size() && PeekLine().starts_with('#')) SkipLine();
    if (pos_ >= text_.size()) return false;
    std::string_view line = PeekLine();
    SkipLine();
    if (!ReadHeader(line)) return Fail(line);
    frame_.sounds.clear();
    while (pos_ < text_.size()) {
        line = PeekLine();
        const bool call = line.starts_with("c "), sound = line.starts_with("s ");
        if (!call && !sound) break;
        SkipLine();
        if (!(call ? ReadCall(line) : ReadSound(line))) return Fail(line);
    }
    return true;
}

bool FrameListingReader::ReadHeader(std::string_view line) {
    const std::vector<std::string_view> w = Words(line);
    std::size_t count = 0, split = 0;
    if (w.size() != 5 || w[0] != "f" || !ParseNumber(w[1], frame_.number) ||
        !ParseNumber(w[2], frame_.digest, 16) || !ParseNumber(w[3], count) ||
        !ParseNumber(w[4], split) || count > kMostCalls || split > count)
        return false;
    Realign(count, split);
    return true;
}

void FrameListingReader::Realign(std::size_t count, std::size_t split) {
    const std::size_t m = frame_.calls.size();
    if (count == m) return;
    std::vector<DrawCall> calls(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = Followed(i, split, count, m);
        if (j < m) calls[i] = frame_.calls[j];
    }
    frame_.calls = std::move(calls);
}

bool FrameListingReader::ReadCall(std::string_view line) {
    const std::vector<std::string_view> w = Words(line);
    std::size_t index = 0;
    if (w.size() < 3 || !ParseNumber(w[1], index) || index >= frame_.calls.size()) return false;
    for (std::size_t i = 2; i < w.size(); ++i) {
        const std::size_t equals = w[i].find('=');
        if (equals == std::string_view::npos) return false;
        const std::string_view name = w[i].substr(0, equals), value = w[i].substr(equals + 1);
        bool found = false, read = false;
        ForEachField(
            [&](const char* field, auto& v) {
                if (found || name != field) return;
                found = true;
                read = Parse(value, v);
            },
            frame_.calls[index]);
        if (!read) return false;
    }
    return true;
}

bool FrameListingReader::ReadSound(std::string_view line) {
    const std::vector<std::string_view> w = Words(line);
    TracedSound s;
    if (w.size() != 4 || !ParseNumber(w[2], s.sound) || !ParseNumber(w[3], s.value)) return false;
    s.op = std::string(w[1]);
    frame_.sounds.push_back(std::move(s));
    return true;
}

namespace {

// One call both ways: its kind and every number that is not at its default on either side or
// differs, then the names of the numbers that differ. A side without the call says so.
std::string CallBothWays(const DrawCall* expected, const DrawCall* made) {
    const DrawCall fresh;
    std::string e, m, differs;
    Put(e, (expected ? *expected : fresh).kind);
    Put(m, (made ? *made : fresh).kind);
    ForEachField(
        [&](const char* name, const auto& d, const auto& x, const auto& y) {
            const bool differ = !Same(x, y);
            if (differ) (differs += ' ') += name;
            if (std::string_view(name) == "kind" || (!differ && Same(x, d))) return;
            ((e += ' ') += name) += '=';
            ((m += ' ') += name) += '=';
            Put(e, x);
            Put(m, y);
        },
        fresh, expected ? *expected : fresh, made ? *made : fresh);
    std::string text = "    expected " + (expected ? e : "no call") + "\n" + "    made     " +
                       (made ? m : "no call") + "\n";
    if (expected && made) text += "    differs in" + differs + "\n";
    return text;
}

}  // namespace

namespace {

// Every made call that differs from the listed call it follows, or follows none, and every listed
// call that no made call follows, in drawing order, each described both ways.
std::vector<std::string> DifferingCalls(const std::vector<DrawCall>& e,
                                        const std::vector<DrawCall>& m) {
    const std::size_t split = BestSplit(e, m);
    const std::size_t dropped = e.size() > m.size() ? e.size() - m.size() : 0;
    std::vector<std::string> differing;
    for (std::size_t i = 0; i <= m.size(); ++i) {
        if (i == split)
            for (std::size_t j = split; j < split + dropped; ++j)
                differing.push_back("  listed call " + std::to_string(j) + ", not made\n" +
                                    CallBothWays(&e[j], nullptr));
        if (i == m.size()) break;
        const std::size_t j = Followed(i, split, m.size(), e.size());
        if (j < e.size() && SameCall(e[j], m[i])) continue;
        const std::string listedAs =
            j < e.size() && j != i ? " (listed as call " + std::to_string(j) + ")" : "";
        differing.push_back("  call " + std::to_string(i) + listedAs + "\n" +
                            CallBothWays(j < e.size() ? &e[j] : nullptr, &m[i]));
    }
    return differing;
}

}  // namespace

std::string DescribeFrameDifference(const TracedFrame& expected, const TracedFrame& made,
                                    std::size_t maxCalls) {
    const std::vector<std::string> differing = DifferingCalls(expected.calls, made.calls);
    bool soundsSame = expected.sounds.size() == made.sounds.size();
    for (std::size_t i = 0; soundsSame && i < made.sounds.size(); ++i)
        soundsSame = SameSound(expected.sounds[i], made.sounds[i]);
    if (differing.empty() && soundsSame) return {};
    std::string text = "  draw calls: " + std::to_string(expected.calls.size()) + " expected, " +
                       std::to_string(made.calls.size()) + " made, " +
                       std::to_string(differing.size()) + " differ\n";
    for (std::size_t k = 0; k < differing.size() && k < maxCalls; ++k) text += differing[k];
    if (differing.size() > maxCalls)
        text += "  and " + std::to_string(differing.size() - maxCalls) + " more calls differ\n";
    text += "  sounds expected: " + SoundsText(expected.sounds) + "\n";
    text += "  sounds made:     " + SoundsText(made.sounds) + "\n";
    return text;
}
