// atlas_builder: turns the text art under tools/atlas/art into atlas page 0 (PNG + description)
// and the engine's built-in font table.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "atlas_art.h"
#include "atlas_page.h"
#include "png_write.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: atlas_builder --art DIR --png FILE --txt FILE --font-inc FILE [--icons DIR]\n"
    "  DIR holds palette.txt and the *.txt art files; --icons writes the program's icon,\n"
    "  kestrune-N.png at N = 16, 32, 48, 64, 128 and 256 pixels.\n";

// The program's icon: the hero as he stands, each art pixel a square of whole screen pixels.
constexpr const char* kIconRegion = "player";
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ArtError("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) throw ArtError("cannot write " + path);
}

struct Options {
    std::string art, png, txt, fontInc, icons;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string key = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (key == "--art")
            o.art = value;
        else if (key == "--png")
            o.png = value;
        else if (key == "--txt")
            o.txt = value;
        else if (key == "--font-inc")
            o.fontInc = value;
        else if (key == "--icons")
            o.icons = value;
        else
            return false;
    }
    return !o.art.empty() && !o.png.empty() && !o.txt.empty() && !o.fontInc.empty();
}

// Nearest-neighbour scaling by a whole factor, so the pixels stay crisp.
std::vector<std::uint32_t> Scaled(const ArtFrame& art, int size) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out[static_cast<std::size_t>(y) * size + x] =
                art.rgba[static_cast<std::size_t>(y * art.height / size) * art.width +
                         x * art.width / size];
    return out;
}

void WriteIcons(const std::vector<ArtFrame>& frames, const std::string& dir) {
    for (const ArtFrame& f : frames) {
        if (f.region != kIconRegion || f.index != 0) continue;
        for (int size : kIconSizes) {
            const std::string path =
                (fs::path(dir) / ("kestrune-" + std::to_string(size) + ".png")).string();
            if (std::string why = WritePNG(Scaled(f, size), size, size, path); !why.empty())
                throw ArtError(why);
        }
        return;
    }
    throw ArtError(std::string("no frame 0 of region ") + kIconRegion + " for the icon");
}

void Build(const Options& o) {
    fs::path dir = o.art;
    Palette palette = ParsePalette(ReadFile(dir / "palette.txt"), (dir / "palette.txt").string());
    // Sorted, so the messages and any overlap report come out the same on every machine.
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".txt" &&
            entry.path().filename() != "palette.txt")
            sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    if (sources.empty()) throw ArtError(o.art + ": no art files");

    std::vector<ArtFrame> frames;
    for (const auto& path : sources) {
        auto more = ParseArt(ReadFile(path), path.filename().string(), palette, RegionGridSize);
        frames.insert(frames.end(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
    }
    Page page = ComposePage(frames);
    if (std::string why = WritePagePNG(page, o.png); !why.empty()) throw ArtError(why);
    WriteFile(o.txt, DescribeAtlas());
    WriteFile(o.fontInc, BuiltinFontInclude(page));
    if (!o.icons.empty()) WriteIcons(frames, o.icons);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        Build(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "atlas_builder: %s\n", e.what());
        return 1;
    }
    return 0;
}
