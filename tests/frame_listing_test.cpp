#include <gtest/gtest.h>

#include <limits>

#include "support/frame_listing.h"

namespace {

DrawCall Sprite(float x, float y) {
    DrawCall c;
    c.kind = DrawCall::FRAME;
    c.tx = x;
    c.ty = y;
    c.x1 = c.y1 = c.sw = c.sh = 16;
    return c;
}

TracedFrame Frame(int number, std::vector<DrawCall> calls, std::vector<TracedSound> sounds = {}) {
    return {number, 0x1000u + std::uint64_t(number), std::move(calls), std::move(sounds)};
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Frames that change in every way a game's frames do come back whole, bit for bit, and a frame
// is written as only what changed: a thing that comes or goes moves none of the other calls.
TEST(FrameListing, FramesReadBackWholeFromTheirChanges) {
    DrawCall odd = Sprite(-0.0f, 1e-30f);
    odd.xy = {0.1f, -3.5f, std::numeric_limits<float>::max()};
    odd.alpha = std::numeric_limits<float>::quiet_NaN();
    odd.lastPixel = true;
    DrawCall line = Sprite(5, 6);
    line.kind = DrawCall::LINE;
    line.r = 0;
    line.vpW = 1024;
    const std::vector<TracedFrame> frames = {
        Frame(1, {Sprite(0, 0), odd, Sprite(2, 2), Sprite(3, 3)}, {{"play", 0, 0.5f}}),
        Frame(2, {Sprite(0, 0), odd, Sprite(2, 2), Sprite(3, 3)}),
        Frame(3, {Sprite(0, 0), odd, Sprite(3, 3)}),
        Frame(4, {Sprite(0, 0), line, odd, Sprite(3, 3)}, {{"cue", 1, 1}, {"stop", 0, 0}}),
        Frame(5, {}),
        Frame(6, {Sprite(0, 1.25f), Sprite(7, 7)})};
    FrameListingWriter writer;
    for (const TracedFrame& f : frames) writer.Add(f);
    const std::string& text = writer.Text();
    // Bit for bit: the sign of a zero counts, and a NaN is the same NaN.
    EXPECT_FALSE(SameCall(Sprite(-0.0f, 0), Sprite(0, 0)));
    EXPECT_TRUE(SameCall(odd, odd));
    // Four new calls, none for the same frame, none when one goes, one when one comes, two new.
    EXPECT_EQ(Count("\n" + text, "\nc "), 4u + 0 + 0 + 1 + 0 + 2) << text;
    FrameListingReader reader("# a comment\n" + text);
    for (const TracedFrame& want : frames) {
        ASSERT_TRUE(reader.Next()) << reader.Error();
        const TracedFrame& got = reader.Frame();
        EXPECT_EQ(got.number, want.number);
        EXPECT_EQ(got.digest, want.digest);
        ASSERT_EQ(got.calls.size(), want.calls.size()) << "frame " << want.number;
        for (std::size_t i = 0; i < want.calls.size(); ++i)
            EXPECT_TRUE(SameCall(got.calls[i], want.calls[i])) << want.number << " call " << i;
        ASSERT_EQ(got.sounds.size(), want.sounds.size());
        for (std::size_t i = 0; i < want.sounds.size(); ++i) {
            EXPECT_EQ(got.sounds[i].op, want.sounds[i].op);
            EXPECT_EQ(got.sounds[i].sound, want.sounds[i].sound);
            EXPECT_EQ(got.sounds[i].value, want.sounds[i].value);
        }
    }
    EXPECT_FALSE(reader.Next());
    EXPECT_EQ(reader.Error(), "");
}

TEST(FrameListing, ADamagedListingIsRefusedAtItsLine) {
    for (const char* damaged :
         {"f 1 00000000000000zz 1 1\n", "f 1 0000000000000001 2 3\n",
          "f 1 0000000000000001 1 1\nc 1 tx=3\n", "f 1 0000000000000001 1 1\nc 0 weight=3\n",
          "f 1 0000000000000001 1 1\nc 0 tx=3x\n", "f 1 0000000000000001 1 1\nc 0 kind=SQUARE\n",
          "f 1 0000000000000001 99999999999 0\n", "f 1 0000000000000001 1 1\ns play one 0\n",
          "g 1\n"}) {
        FrameListingReader reader(damaged);
        EXPECT_FALSE(reader.Next()) << damaged;
        EXPECT_TRUE(reader.Error().starts_with("line ")) << damaged << reader.Error();
    }
}

// The first frame that differs is shown call by call, expected beside made, with the numbers
// that differ named; a call drawn in addition or no longer drawn is that one call.
TEST(FrameListing, ADifferenceShowsEachCallBothWays) {
    const TracedFrame listed =
        Frame(9, {Sprite(0, 0), Sprite(10, 20), Sprite(4, 4)}, {{"play", 2, 0}});
    EXPECT_EQ(DescribeFrameDifference(listed, listed), "");

    const std::string moved =
        DescribeFrameDifference(listed, Frame(9, {Sprite(0, 0), Sprite(11, 20), Sprite(4, 4)}));
    EXPECT_NE(moved.find("1 differ\n  call 1\n    expected FRAME x1=16 y1=16 tx=10 ty=20"),
              std::string::npos)
        << moved;
    EXPECT_NE(moved.find("    made     FRAME x1=16 y1=16 tx=11 ty=20"), std::string::npos);
    EXPECT_NE(moved.find("    differs in tx\n"), std::string::npos);
    EXPECT_NE(moved.find("sounds expected: play 2 0\n  sounds made:     none\n"),
              std::string::npos);

    const std::string added = DescribeFrameDifference(
        listed,
        Frame(9, {Sprite(0, 0), Sprite(10, 20), Sprite(8, 8), Sprite(4, 4)}, {{"play", 2, 0}}));
    EXPECT_NE(added.find("1 differ\n  call 2\n    expected no call\n    made     FRAME"),
              std::string::npos)
        << added;
    const std::string dropped =
        DescribeFrameDifference(listed, Frame(9, {Sprite(0, 0), Sprite(4, 4)}, {{"play", 2, 0}}));
    EXPECT_NE(dropped.find("1 differ\n  listed call 1, not made\n    expected FRAME"),
              std::string::npos)
        << dropped;
    EXPECT_NE(dropped.find("    made     no call\n"), std::string::npos);
}

}  // namespace
