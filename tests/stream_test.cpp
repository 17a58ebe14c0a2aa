#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/stream.h"
#include "support/temp_dir.h"

namespace {

const std::uint8_t kLines[] = "one\r\ntwo\nthree";

class StreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearIncbins();
        RegisterIncbin("../assets/lines.txt", kLines, sizeof kLines - 1);
    }
    void TearDown() override { ClearIncbins(); }
};

TEST_F(StreamTest, IncbinNamesMatchExactly) {
    EXPECT_NE(ReadStream("incbin::../assets/lines.txt"), nullptr);
    EXPECT_EQ(ReadStream("incbin::lines.txt"), nullptr);
    EXPECT_EQ(ReadStream("incbin::../assets/LINES.txt"), nullptr);
    EXPECT_EQ(ReadStream("zip::../assets/lines.txt"), nullptr);
    EXPECT_EQ(ReadStream(""), nullptr);
}

TEST_F(StreamTest, SecondRegistrationKeepsTheFirst) {
    const std::uint8_t other[] = "x";
    EXPECT_EQ(RegisterIncbin("../assets/lines.txt", other, 1), 0);
    EXPECT_EQ(RegisterIncbin("../assets/new.txt", other, 1), 1);
    auto s = ReadStream("incbin::../assets/lines.txt");
    EXPECT_EQ(s->Size(), 14);
}

TEST_F(StreamTest, CrLfAndLfReadAlikeAndTheLastLineNeedsNoFeed) {
    auto s = ReadStream("incbin::../assets/lines.txt");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ReadLine(), "one");
    EXPECT_EQ(s->ReadLine(), "two");
    EXPECT_EQ(s->Eof(), 0);
    EXPECT_EQ(s->ReadLine(), "three");
    EXPECT_EQ(s->Eof(), 1);
    EXPECT_EQ(s->ReadLine(), "");
}

TEST_F(StreamTest, ReadLineStopsAtZeroAndDropsEveryCarriageReturn) {
    const std::uint8_t bytes[] = {'a', 13, 'b', 0, 'c', 13, 13, 10};
    TRamStream s(bytes, sizeof bytes);
    EXPECT_EQ(s.ReadLine(), "ab");
    EXPECT_EQ(s.ReadLine(), "c");
    EXPECT_EQ(s.Eof(), 1);
}

TEST_F(StreamTest, WriteLineEndsWithCrLfAndFileReadsBack) {
    TempDir dir;
    std::string path = dir.File("out.txt");
    {
        auto w = WriteFile(path);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->WriteLine("Sound=1"), 1);
        w->Close();
        EXPECT_TRUE(w->Good());
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("Sound=1\r\n"));
    auto r = ReadStream(path);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->ReadLine(), "Sound=1");
    EXPECT_EQ(r->Eof(), 1);
}

TEST_F(StreamTest, MissingFilesAndFoldersGiveNull) {
    TempDir dir;
    EXPECT_EQ(ReadStream(dir.File("absent.txt")), nullptr);
    EXPECT_EQ(WriteFile(dir.File("no/such/folder/x.txt")), nullptr);
    EXPECT_EQ(WriteFile("incbin::../assets/lines.txt"), nullptr);
}

TEST_F(StreamTest, ScalarsRoundTripAndReadsPastTheEndGiveZero) {
    TempDir dir;
    std::string path = dir.File("bin");
    {
        auto w = WriteFile(path);
        w->WriteByte(200);
        w->WriteShort(-2);
        w->WriteInt(-123456);
        w->WriteFloat(1.5f);
        w->WriteDouble(-2.25);
        w->WriteLong(1LL << 40);
    }
    auto r = ReadStream(path);
    EXPECT_EQ(r->Size(), 1 + 2 + 4 + 4 + 8 + 8);
    EXPECT_EQ(r->ReadByte(), 200);
    EXPECT_EQ(r->ReadShort(), 0xfffe);
    EXPECT_EQ(r->ReadInt(), -123456);
    EXPECT_EQ(r->ReadFloat(), 1.5f);
    EXPECT_EQ(r->ReadDouble(), -2.25);
    EXPECT_EQ(r->ReadLong(), 1LL << 40);
    EXPECT_EQ(r->ReadInt(), 0);
    EXPECT_EQ(r->Eof(), 1);
}

TEST_F(StreamTest, OpenBytesPointsIntoTheEmbeddedFile) {
    TByteSource src;
    ASSERT_TRUE(OpenBytes("incbin::../assets/lines.txt", src));
    EXPECT_EQ(src.data, kLines);
    EXPECT_EQ(src.size, 14u);
    EXPECT_FALSE(OpenBytes("incbin::nothing", src));
}

}  // namespace
