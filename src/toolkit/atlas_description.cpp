#include "toolkit/atlas_description.h"

#include <charconv>

#include "engine/text.h"

namespace {

std::string WithoutSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

bool Blank(const std::string& line) {
    return WithoutSpaces(line).empty();
}

// "12" or "-3" exactly, within the int range.
bool ReadExactInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && !text.empty();
}

// Walks the lines once, front to back; the first line it cannot take ends the walk.
class Cursor {
  public:
    explicit Cursor(const std::vector<std::string>& lines) : lines_(lines) {
        while (end_ > 0 && Blank(lines_[end_ - 1])) --end_;  // blank lines after the last region
    }
    bool AtEnd() const { return at_ >= end_; }
    int LineNumber() const { return static_cast<int>(at_) + 1; }
    const std::string& Error() const { return error_; }

    // Whether the next line is "key: ...".
    bool Has(const char* key) const { return Current().starts_with(std::string(key) + ":"); }

    // Takes a region or page name: text that is not "key: value".
    bool Name(std::string& name) {
        const std::string text = Current();
        if (text.empty() && !AtEnd())
            return Fail("no blank line before the end of the description");
        if (text.empty() || text.find(':') != std::string::npos) return Fail("a name");
        name = text;
        ++at_;
        return true;
    }

    // Takes "key: a, b, ..." with exactly count non-empty values.
    bool Values(const char* key, std::size_t count, std::vector<std::string>& values) {
        if (!Peek(key, count, values)) return false;
        ++at_;
        return true;
    }

    // Takes "key: value" with exactly that value.
    bool Exactly(const char* key, const char* value) {
        std::vector<std::string> values;
        if (!Peek(key, 1, values)) return false;
        if (values[0] != value) return Fail("\"" + std::string(key) + ": " + value + "\"");
        ++at_;
        return true;
    }

    // Takes "key: a, b, ..." with exactly count numbers (none negative when naturals is set).
    bool Ints(const char* key, std::size_t count, bool naturals, int* out) {
        std::vector<std::string> values;
        if (!Peek(key, count, values)) return false;
        for (std::size_t i = 0; i < count; ++i)
            if (!ReadExactInt(values[i], out[i]) || (naturals && out[i] < 0))
                return Fail(Expected(key, count, naturals ? " whole numbers" : " numbers"));
        ++at_;
        return true;
    }

    // Records the next line as the one that could not be read; always false.
    bool Fail(const std::string& expected) {
        if (!error_.empty()) return false;
        const std::string text = at_ < lines_.size() ? lines_[at_] : "";
        error_ = "line " + std::to_string(LineNumber()) + " \"" + text + "\": expected " +
                 expected + (AtEnd() ? ", not the end of the description" : "");
        return false;
    }

  private:
    std::string Current() const { return at_ < end_ ? WithoutSpaces(lines_[at_]) : ""; }

    static std::string Expected(const char* key, std::size_t count, const char* what) {
        return "\"" + std::string(key) + ":\" with " + std::to_string(count) + what;
    }

    bool Peek(const char* key, std::size_t count, std::vector<std::string>& values) {
        const std::string head = std::string(key) + ":";
        const std::string expected = Expected(key, count, count == 1 ? " value" : " values");
        if (!Has(key)) return Fail(expected);
        values = Split(Current().substr(head.size()), ",");
        if (values.size() != count) return Fail(expected);
        for (const std::string& v : values)
            if (v.empty()) return Fail(expected);
        return true;
    }

    const std::vector<std::string>& lines_;
    std::size_t at_ = 0;
    std::size_t end_ = lines_.size();
    std::string error_;
};

bool ReadHeader(Cursor& in, AtlasDescription& out) {
    std::string page;
    std::vector<std::string> values;
    if (!in.Name(page)) return false;
    if (in.Has("size")) {
        out.pageSizeLine = in.LineNumber();
        int size[2];
        if (!in.Ints("size", 2, true, size)) return false;
        out.pageWidth = size[0];
        out.pageHeight = size[1];
    }
    return in.Values("format", 1, values) && in.Values("filter", 2, values) &&
           in.Values("repeat", 1, values);
}

bool ReadRegion(Cursor& in, AtlasDescription& out) {
    AtlasRegionEntry region;
    int xy[2], size[2], nine[4], orig[2], offset[2], index;
    // The game draws every region upright, so a rotated one is refused.
    const bool read =
        in.Name(region.name) && in.Exactly("rotate", "false") && in.Ints("xy", 2, true, xy) &&
        in.Ints("size", 2, true, size) && (!in.Has("split") || in.Ints("split", 4, true, nine)) &&
        (!in.Has("pad") || in.Ints("pad", 4, false, nine)) && in.Ints("orig", 2, true, orig) &&
        in.Ints("offset", 2, false, offset) && in.Ints("index", 1, false, &index);
    if (!read) return false;
    region.x = xy[0];
    region.y = xy[1];
    region.width = size[0];
    region.height = size[1];
    out.regions.push_back(region);
    return true;
}

}  // namespace

AtlasDescription ReadAtlasDescription(const std::vector<std::string>& lines) {
    AtlasDescription out;
    Cursor in(lines);
    bool read = ReadHeader(in, out);
    while (read && !in.AtEnd()) read = ReadRegion(in, out);
    if (!read) {
        out = AtlasDescription{};
        out.error = in.Error();
    }
    return out;
}
