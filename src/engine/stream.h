#pragma once
// Byte streams over embedded files and operating-system files, and the embedded-file table.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class TStream {
  public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // 1 when no byte is left to read.
    virtual int Eof() = 0;
    // The byte the next read or write starts at; -1 when unknown.
    virtual std::int64_t Pos() = 0;
    // Total length in bytes, or -1 when unknown.
    virtual std::int64_t Size() = 0;
    // Moves to an absolute position; returns the new position (or -1 when the stream cannot seek).
    virtual std::int64_t Seek(std::int64_t pos) = 0;
    // Hands buffered writes to the system.
    virtual void Flush() {}
    // Flushes and lets the source go; later calls read and write nothing.
    virtual void Close() = 0;
    // Reads up to count bytes; returns how many were read.
    virtual std::size_t Read(void* buf, std::size_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual std::size_t Write(const void* buf, std::size_t count) = 0;

    // Whole-count versions: true only when every byte moved.
    bool ReadBytes(void* buf, std::size_t count) { return Read(buf, count) == count; }
    bool WriteBytes(const void* buf, std::size_t count) { return Write(buf, count) == count; }
    std::size_t SkipBytes(std::size_t count);

    // Little-endian scalars; a read past the end gives 0.
    int ReadByte();
    bool WriteByte(int value);
    int ReadShort();
    bool WriteShort(int value);
    std::int32_t ReadInt();
    bool WriteInt(std::int32_t value);
    std::int64_t ReadLong();
    bool WriteLong(std::int64_t value);
    float ReadFloat();
    bool WriteFloat(float value);
    double ReadDouble();
    bool WriteDouble(double value);

    // Bytes up to a line feed or a zero byte; carriage returns are dropped. Empty at the end.
    std::string ReadLine();
    // The text as 8-bit bytes, then CR LF. 1 when every byte was written.
    int WriteLine(const std::string& text);
    std::string ReadString(std::size_t length);
    bool WriteString(const std::string& text);
};

// Read-only stream over bytes that outlive it (an embedded file, or a buffer it owns).
class TRamStream : public TStream {
  public:
    TRamStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit TRamStream(std::vector<std::uint8_t> owned);
    int Eof() override { return pos_ >= size_ ? 1 : 0; }
    std::int64_t Pos() override { return static_cast<std::int64_t>(pos_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
    std::int64_t Seek(std::int64_t pos) override;
    void Close() override {}
    std::size_t Read(void* buf, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    const std::uint8_t* Data() const { return data_; }

  private:
    std::vector<std::uint8_t> owned_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Stream over an operating-system file.
class TCStream : public TStream {
  public:
    explicit TCStream(std::FILE* file, bool readable, bool writable)
        : file_(file), readable_(readable), writable_(writable) {}
    ~TCStream() override { Close(); }
    int Eof() override;
    std::int64_t Pos() override;
    std::int64_t Size() override;
    std::int64_t Seek(std::int64_t pos) override;
    void Flush() override;
    void Close() override;
    std::size_t Read(void* buf, std::size_t count) override;
    std::size_t Write(const void* buf, std::size_t count) override;
    // True when nothing failed since the stream opened (a full disk shows up here).
    bool Good() const { return !failed_; }

  private:
    std::FILE* file_;
    bool readable_;
    bool writable_;
    bool failed_ = false;
};

// Embedded-file table. Registration keeps the first entry under a name: 1 for a new name, 0 if
// the name was already there. The bytes are not copied.
int RegisterIncbin(const std::string& name, const std::uint8_t* data, std::size_t size);
struct IncbinEntry {
    std::string name;
    const std::uint8_t* data;
    std::size_t size;
};
// Every embedded file, in registration order.
const std::vector<IncbinEntry>& IncbinEntries();
// The embedded file of exactly that name; null when none has it.
const IncbinEntry* FindIncbin(const std::string& name);
// Forgets every entry (tests only).
void ClearIncbins();

// "incbin::name" opens an embedded file; any other text without "::" is a file path.
std::unique_ptr<TStream> ReadStream(const std::string& url);
inline std::unique_ptr<TStream> ReadFile(const std::string& url) {
    return ReadStream(url);
}
// Creates or truncates a file of the file system for writing.
std::unique_ptr<TCStream> WriteFile(const std::string& path);
// Every byte of a source, or false when it cannot be opened.
bool LoadBytes(const std::string& url, std::vector<std::uint8_t>& out);

// The bytes of a source without copying an embedded file: data points into the program image
// for "incbin::" names and into owned for files.
struct TByteSource {
    std::vector<std::uint8_t> owned;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};
// The bytes of a source (see TByteSource); false when it cannot be opened.
bool OpenBytes(const std::string& url, TByteSource& out);

// Writes a file so that readers see either the old contents or the whole new contents: the
// bytes go to a temporary file beside it, named after it with ".new", which replaces the old file
// only once every byte is on disk, and the folder is synced after. A path that is a symbolic link
// writes its target (the link stays), and the file keeps its permission bits; other hard links
// to it keep the old contents. Without Commit the temporary file is removed and the old file
// stays.
class TAtomicFile {
  public:
    static std::unique_ptr<TAtomicFile> Begin(const std::string& path);
    // Removes the temporary file a crash in the middle of a save left beside `path`.
    static void Discard(const std::string& path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;
    TStream& Stream() { return *stream_; }
    // True when the new contents replaced the file.
    bool Commit();

  private:
    TAtomicFile(std::string path, std::string temp, std::unique_ptr<TCStream> stream, int fd);
    std::string path_;
    std::string temp_;
    std::unique_ptr<TCStream> stream_;
    int fd_;
    bool done_ = false;
};

// Creates a folder and its parents; true when it exists afterwards.
bool EnsureFolder(const std::string& path);

// Value of an environment variable; empty when it is not set.
std::string GetEnv(const std::string& name);
