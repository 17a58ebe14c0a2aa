// stage_builder: reads every design under a folder and writes the game's stage file.
//
//   stage_builder DESIGNS_DIR OUTPUT_FILE

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "stage_design.h"

namespace fs = std::filesystem;

namespace {
// The stage file always holds this many lines; the ones no design names are empty stages.
constexpr int kLines = 104;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DesignError("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<StageDesign> ReadDesigns(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<StageDesign> designs;
    std::set<int> seen;
    for (const fs::path& f : files) {
        designs.push_back(ParseDesign(Slurp(f), f.filename().string()));
        if (!seen.insert(designs.back().number).second)
            throw DesignError(f.filename().string() + ": stage " +
                              std::to_string(designs.back().number) + " is designed twice");
    }
    return designs;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: stage_builder DESIGNS_DIR OUTPUT_FILE\n");
        return 2;
    }
    try {
        const std::string file = StageFile(ReadDesigns(argv[1]), kLines);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << file;
        out.close();
        if (!out) throw DesignError(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stage_builder: %s\n", e.what());
        return 1;
    }
    return 0;
}
