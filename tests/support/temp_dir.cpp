#include "support/temp_dir.h"

#include <stdlib.h>

#include <set>
#include <stdexcept>
#include <system_error>

namespace {

void RemoveFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::set<std::string>& LiveFolders();

void SweepLiveFolders() {
    for (const std::string& path : LiveFolders()) RemoveFolder(path);
}

// Folders still alive when the process exits. A death test's child re-runs its test and leaves
// through exit() on the checked error, skipping every destructor; without the sweep each such
// run would leave a folder behind in /tmp.
std::set<std::string>& LiveFolders() {
    static std::set<std::string> folders;
    static const int registered = atexit(SweepLiveFolders);
    (void)registered;
    return folders;
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrune-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    LiveFolders().insert(path_);
}

TempDir::~TempDir() {
    RemoveFolder(path_);
    LiveFolders().erase(path_);
}
