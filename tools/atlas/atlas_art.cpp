#include "atlas_art.h"

#include <charconv>
#include <sstream>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool IsFiller(const std::string& line) {
    auto first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == ';';
}

std::optional<int> ToInt(const std::string& s) {
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string At(const std::string& file, std::size_t line) {
    return file + ":" + std::to_string(line + 1);
}

}  // namespace

std::optional<std::uint32_t> Palette::Colour(char c) const {
    if (c == kTransparent) return 0u;
    auto u = static_cast<unsigned char>(c);
    if (u >= colours_.size()) return std::nullopt;
    return colours_[u];
}

void Palette::Define(char c, std::uint32_t rgba, const std::string& where) {
    auto u = static_cast<unsigned char>(c);
    if (c == kTransparent || c == ';' || u <= ' ' || u >= 127)
        throw ArtError(where + ": '" + std::string(1, c) + "' cannot name a colour");
    if (colours_[u])
        throw ArtError(where + ": colour character '" + std::string(1, c) + "' is defined twice");
    colours_[u] = rgba;
}

std::size_t Palette::Size() const {
    std::size_t n = 0;
    for (const auto& c : colours_) n += c.has_value();
    return n;
}

Palette ParsePalette(const std::string& text, const std::string& file) {
    Palette palette;
    auto lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsFiller(lines[i])) continue;
        auto w = Words(lines[i]);
        if (w.size() != 4 || w[0] != "colour" || w[2].size() != 1 || w[3].size() != 6)
            throw ArtError(At(file, i) + ": expected 'colour <name> <char> <RRGGBB>'");
        std::uint32_t rgb = 0;
        auto [end, ec] = std::from_chars(w[3].data(), w[3].data() + 6, rgb, 16);
        if (ec != std::errc{} || end != w[3].data() + 6)
            throw ArtError(At(file, i) + ": '" + w[3] + "' is not a RRGGBB colour");
        palette.Define(w[2][0], (rgb << 8) | 0xFFu, At(file, i));
    }
    if (palette.Size() == 0) throw ArtError(file + ": the palette defines no colours");
    return palette;
}

std::vector<ArtFrame> ParseArt(const std::string& text, const std::string& file,
                               const Palette& palette, GridSizeOf sizeOf) {
    std::vector<ArtFrame> frames;
    auto lines = SplitLines(text);
    std::string region;
    int fontStyle = -1;  // set by "font <style>": glyph headers then name character codes
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsFiller(lines[i])) continue;
        auto w = Words(lines[i]);
        if (w[0] == "region" || w[0] == "font") {
            if (w.size() != 2) throw ArtError(At(file, i) + ": expected '" + w[0] + " <value>'");
            if (w[0] == "region") {
                if (!sizeOf(w[1])) throw ArtError(At(file, i) + ": unknown region '" + w[1] + "'");
                region = w[1];
                fontStyle = -1;
            } else {
                auto style = ToInt(w[1]);
                if (!style || *style < 0 || *style > 6)
                    throw ArtError(At(file, i) + ": font style must be 0 to 6");
                region = "bitmapfonts";
                fontStyle = *style;
            }
            continue;
        }
        if (w[0] != "frame" && w[0] != "glyph")
            throw ArtError(At(file, i) + ": expected 'region', 'font', 'frame' or 'glyph', got '" +
                           w[0] + "'");
        if (w.size() < 2) throw ArtError(At(file, i) + ": '" + w[0] + "' needs a number");
        if (region.empty()) throw ArtError(At(file, i) + ": '" + w[0] + "' before any region");
        auto number = ToInt(w[1]);
        if (!number) throw ArtError(At(file, i) + ": '" + w[1] + "' is not a number");
        int index = *number;
        if (w[0] == "glyph") {
            if (fontStyle < 0) throw ArtError(At(file, i) + ": 'glyph' outside a 'font' block");
            if (index < 32 || index > 127)
                throw ArtError(At(file, i) + ": glyph code must be 32 to 127");
            index = index - 32 + 96 * fontStyle;
        } else if (fontStyle >= 0) {
            throw ArtError(At(file, i) + ": use 'glyph <code>' inside a 'font' block");
        }
        GridSize size = *sizeOf(region);
        if (index < 0 || index >= size.frames)
            throw ArtError(At(file, i) + ": frame " + std::to_string(index) +
                           " is outside region '" + region + "' (" + std::to_string(size.frames) +
                           " frames)");
        ArtFrame frame{region, index, size.width, size.height, {}, At(file, i)};
        frame.rgba.reserve(static_cast<std::size_t>(size.width) * size.height);
        for (int row = 0; row < size.height; ++row) {
            std::size_t li = i + 1 + static_cast<std::size_t>(row);
            if (li >= lines.size())
                throw ArtError(At(file, i) + ": grid ends after " + std::to_string(row) +
                               " rows, expected " + std::to_string(size.height));
            const std::string& r = lines[li];
            if (static_cast<int>(r.size()) != size.width)
                throw ArtError(At(file, li) + ": row is " + std::to_string(r.size()) +
                               " characters wide, expected " + std::to_string(size.width));
            for (std::size_t col = 0; col < r.size(); ++col) {
                auto colour = palette.Colour(r[col]);
                if (!colour)
                    throw ArtError(At(file, li) + ": column " + std::to_string(col + 1) + ": '" +
                                   std::string(1, r[col]) + "' is not in the palette");
                frame.rgba.push_back(*colour);
            }
        }
        i += static_cast<std::size_t>(size.height);
        frames.push_back(std::move(frame));
    }
    return frames;
}
