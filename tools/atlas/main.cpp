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
    "usage: atlas_builder --art DIR --png FILE --txt FILE --font-inc FILE\n"
    "  DIR holds palette.txt and the *.txt art files.\n";

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
    std::string art, png, txt, fontInc;
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
        else
            return false;
    }
    return !o.art.empty() && !o.png.empty() && !o.txt.empty() && !o.fontInc.empty();
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
