#include "engine/stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

std::size_t TStream::SkipBytes(std::size_t count) {
    std::uint8_t buf[256];
    std::size_t skipped = 0;
    while (skipped < count) {
        std::size_t want = std::min(sizeof buf, count - skipped);
        std::size_t got = Read(buf, want);
        skipped += got;
        if (got < want) break;
    }
    return skipped;
}

namespace {
template <typename T>
T ReadScalar(TStream& s) {
    std::uint8_t b[sizeof(T)] = {};
    if (s.Read(b, sizeof b) != sizeof b) return T{};
    T v;
    std::memcpy(&v, b, sizeof v);  // the platform is little-endian, as the files are
    return v;
}
template <typename T>
bool WriteScalar(TStream& s, T v) {
    return s.Write(&v, sizeof v) == sizeof v;
}
}  // namespace

int TStream::ReadByte() {
    return ReadScalar<std::uint8_t>(*this);
}
bool TStream::WriteByte(int value) {
    return WriteScalar(*this, static_cast<std::uint8_t>(value));
}
int TStream::ReadShort() {
    return ReadScalar<std::uint16_t>(*this);
}
bool TStream::WriteShort(int value) {
    return WriteScalar(*this, static_cast<std::uint16_t>(value));
}
std::int32_t TStream::ReadInt() {
    return ReadScalar<std::int32_t>(*this);
}
bool TStream::WriteInt(std::int32_t value) {
    return WriteScalar(*this, value);
}
std::int64_t TStream::ReadLong() {
    return ReadScalar<std::int64_t>(*this);
}
bool TStream::WriteLong(std::int64_t value) {
    return WriteScalar(*this, value);
}
float TStream::ReadFloat() {
    return ReadScalar<float>(*this);
}
bool TStream::WriteFloat(float value) {
    return WriteScalar(*this, value);
}
double TStream::ReadDouble() {
    return ReadScalar<double>(*this);
}
bool TStream::WriteDouble(double value) {
    return WriteScalar(*this, value);
}

std::string TStream::ReadLine() {
    std::string line;
    std::uint8_t c;
    while (Read(&c, 1) == 1) {
        if (c == 10 || c == 0) break;
        if (c != 13) line.push_back(static_cast<char>(c));
    }
    return line;
}

int TStream::WriteLine(const std::string& text) {
    bool ok = WriteBytes(text.data(), text.size());
    ok = WriteBytes("\r\n", 2) && ok;
    return ok ? 1 : 0;
}

std::string TStream::ReadString(std::size_t length) {
    std::string s(length, '\0');
    s.resize(Read(s.data(), length));
    return s;
}

bool TStream::WriteString(const std::string& text) {
    return WriteBytes(text.data(), text.size());
}

TRamStream::TRamStream(std::vector<std::uint8_t> owned)
    : owned_(std::move(owned)), data_(owned_.data()), size_(owned_.size()) {}

std::int64_t TRamStream::Seek(std::int64_t pos) {
    pos_ = static_cast<std::size_t>(
        std::clamp<std::int64_t>(pos, 0, static_cast<std::int64_t>(size_)));
    return static_cast<std::int64_t>(pos_);
}

std::size_t TRamStream::Read(void* buf, std::size_t count) {
    std::size_t n = std::min(count, size_ - pos_);
    if (n > 0) std::memcpy(buf, data_ + pos_, n);
    pos_ += n;
    return n;
}

int TCStream::Eof() {
    if (!file_) return 1;
    int c = std::fgetc(file_);
    if (c == EOF) return 1;
    std::ungetc(c, file_);
    return 0;
}

std::int64_t TCStream::Pos() {
    return file_ ? static_cast<std::int64_t>(std::ftell(file_)) : -1;
}

std::int64_t TCStream::Size() {
    if (!file_) return -1;
    long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return end;
}

std::int64_t TCStream::Seek(std::int64_t pos) {
    if (!file_ || std::fseek(file_, static_cast<long>(pos), SEEK_SET) != 0) return -1;
    return Pos();
}

void TCStream::Flush() {
    if (file_ && writable_ && std::fflush(file_) != 0) failed_ = true;
}

void TCStream::Close() {
    if (!file_) return;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
}

std::size_t TCStream::Read(void* buf, std::size_t count) {
    if (!file_ || !readable_) return 0;
    return std::fread(buf, 1, count, file_);
}

std::size_t TCStream::Write(const void* buf, std::size_t count) {
    if (!file_ || !writable_) return 0;
    std::size_t n = std::fwrite(buf, 1, count, file_);
    if (n != count) failed_ = true;
    return n;
}

namespace {
std::vector<IncbinEntry>& Table() {
    static std::vector<IncbinEntry> table;
    return table;
}
}  // namespace

int RegisterIncbin(const std::string& name, const std::uint8_t* data, std::size_t size) {
    if (FindIncbin(name)) return 0;
    Table().push_back({name, data, size});
    return 1;
}

const std::vector<IncbinEntry>& IncbinEntries() {
    return Table();
}

const IncbinEntry* FindIncbin(const std::string& name) {
    for (const IncbinEntry& e : Table())
        if (e.name == name) return &e;
    return nullptr;
}

void ClearIncbins() {
    Table().clear();
}

std::unique_ptr<TStream> ReadStream(const std::string& url) {
    std::size_t sep = url.find("::");
    if (sep != std::string::npos) {
        if (url.compare(0, sep, "incbin") != 0) return nullptr;
        const IncbinEntry* e = FindIncbin(url.substr(sep + 2));
        if (!e) return nullptr;
        return std::make_unique<TRamStream>(e->data, e->size);
    }
    if (url.empty()) return nullptr;
    std::FILE* f = std::fopen(url.c_str(), "rb");
    if (!f) return nullptr;
    return std::make_unique<TCStream>(f, true, false);
}

std::unique_ptr<TCStream> WriteFile(const std::string& path) {
    if (path.empty() || path.find("::") != std::string::npos) return nullptr;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return nullptr;
    return std::make_unique<TCStream>(f, false, true);
}

bool LoadBytes(const std::string& url, std::vector<std::uint8_t>& out) {
    out.clear();
    std::size_t sep = url.find("::");
    if (sep != std::string::npos) {
        if (url.compare(0, sep, "incbin") != 0) return false;
        const IncbinEntry* e = FindIncbin(url.substr(sep + 2));
        if (!e) return false;
        out.assign(e->data, e->data + e->size);
        return true;
    }
    std::unique_ptr<TStream> s = ReadStream(url);
    if (!s) return false;
    std::uint8_t buf[65536];
    for (;;) {
        std::size_t n = s->Read(buf, sizeof buf);
        out.insert(out.end(), buf, buf + n);
        if (n < sizeof buf) break;
    }
    return true;
}

bool OpenBytes(const std::string& url, TByteSource& out) {
    out = TByteSource{};
    std::size_t sep = url.find("::");
    if (sep != std::string::npos && url.compare(0, sep, "incbin") == 0) {
        const IncbinEntry* e = FindIncbin(url.substr(sep + 2));
        if (!e) return false;
        out.data = e->data;
        out.size = e->size;
        return true;
    }
    if (!LoadBytes(url, out.owned)) return false;
    out.data = out.owned.data();
    out.size = out.owned.size();
    return true;
}

std::string GetEnv(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return v ? std::string(v) : std::string();
}

namespace {
// The file a path finally names: symbolic links are followed (relative ones from the folder of
// the link), so a save replaces the target and the link stays a link.
std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        char target[4096];
        const ssize_t n = readlink(at.c_str(), target, sizeof target - 1);
        if (n <= 0) return at;
        std::string next(target, static_cast<std::size_t>(n));
        if (next[0] != '/') {
            const std::size_t slash = at.rfind('/');
            next = (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + next;
        }
        at = next;
    }
    return at;
}

std::string TempNameFor(const std::string& target) {
    return target + ".new";
}

// Makes what was renamed into a folder survive a crash of the machine.
void SyncFolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : file.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
}  // namespace

std::unique_ptr<TAtomicFile> TAtomicFile::Begin(const std::string& path) {
    if (path.empty() || path.find("::") != std::string::npos) return nullptr;
    const std::string target = FollowLinks(path);
    const std::string temp = TempNameFor(target);
    // The new file keeps the old one's permissions; a first save makes an ordinary 0644 file.
    struct stat old;
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    // One fixed name beside the target: a crash leaves at most this one file behind, which the
    // next save replaces. Never written through a link someone put in its place.
    unlink(temp.c_str());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return nullptr;
    fchmod(fd, mode);
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(temp.c_str());
        return nullptr;
    }
    return std::unique_ptr<TAtomicFile>(
        new TAtomicFile(target, temp, std::make_unique<TCStream>(f, false, true), fd));
}

void TAtomicFile::Discard(const std::string& path) {
    if (path.empty() || path.find("::") != std::string::npos) return;
    const std::string temp = TempNameFor(FollowLinks(path));
    struct stat st;
    if (lstat(temp.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(temp.c_str());
}

TAtomicFile::TAtomicFile(std::string path, std::string temp, std::unique_ptr<TCStream> stream,
                         int fd)
    : path_(std::move(path)), temp_(std::move(temp)), stream_(std::move(stream)), fd_(fd) {}

TAtomicFile::~TAtomicFile() {
    if (done_) return;
    stream_->Close();
    unlink(temp_.c_str());
}

bool TAtomicFile::Commit() {
    if (done_) return false;
    done_ = true;
    stream_->Flush();
    bool ok = stream_->Good() && fsync(fd_) == 0;
    stream_->Close();
    ok = ok && stream_->Good();
    if (ok && std::rename(temp_.c_str(), path_.c_str()) == 0) {
        SyncFolderOf(path_);
        return true;
    }
    unlink(temp_.c_str());
    return false;
}

bool EnsureFolder(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}
