#pragma once
// Reading the text art sources: the palette and the character grids of every frame.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Any problem with the sources; the message names the file and line.
class ArtError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Maps one printable character to one colour; '.' is always transparent and ';' is kept for
// comments, so an extra grid row can never pass for a comment.
class Palette {
  public:
    static constexpr char kTransparent = '.';
    // Packed 0xRRGGBBAA; nullopt for a character the palette does not know.
    std::optional<std::uint32_t> Colour(char c) const;
    void Define(char c, std::uint32_t rgba, const std::string& where);
    std::size_t Size() const;

  private:
    std::array<std::optional<std::uint32_t>, 128> colours_{};
};

// Lines: "colour <name> <char> <RRGGBB>"; ';' starts a comment line.
Palette ParsePalette(const std::string& text, const std::string& file);

// One picture, already converted to colours, and the cell it goes to.
struct ArtFrame {
    std::string region;
    int index = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgba;  // row-major, width * height
    std::string where;                // "file:line" of the header, for messages
};

// Tells how big the grids of a region are, so the parser can check every row.
struct GridSize {
    int width = 0;
    int height = 0;
    int frames = 0;
};
using GridSizeOf = std::optional<GridSize> (*)(const std::string& region);

// Blocks: "region <name>" then "frame <n> [label]" + grid rows, or "font <style>" then
// "glyph <code> [label]" + grid rows. Blank and ';' lines are allowed between blocks only.
std::vector<ArtFrame> ParseArt(const std::string& text, const std::string& file,
                               const Palette& palette, GridSizeOf sizeOf);
