#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/random.h"
#include "engine/text.h"

namespace {

// The generator written the obvious way, in 64 bits, to check the overflow-free form.
struct ReferenceRng {
    std::int64_t state = 4660;
    std::int64_t Step() { return state = (state * 48271) % 2147483647; }
    double Uniform() {
        std::int64_t s1 = Step(), s2 = Step();
        return ((s1 & 0x1ffffffc) + (s2 & 0x1ffffff8) / 134217728.0) / 536870912.0;
    }
};

TEST(RandomTest, SequenceIsTheMinimalStandardGeneratorFromItsFixedStart) {
    SeedRnd(4660);
    ReferenceRng ref;
    for (int i = 0; i < 20000; ++i) {
        double u = RndDouble();
        ASSERT_EQ(u, ref.Uniform()) << i;
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

TEST(RandomTest, SeedingRules) {
    SeedRnd(0);
    EXPECT_EQ(RndSeed(), 4660);
    SeedRnd(0x7fffffff);
    EXPECT_EQ(RndSeed(), 4660);
    SeedRnd(-1);  // only the low 31 bits count, and those are all ones
    EXPECT_EQ(RndSeed(), 4660);
    SeedRnd(12345);
    EXPECT_EQ(RndSeed(), 12345);
    double a = Rnd(0, 1);
    SeedRnd(12345);
    EXPECT_EQ(Rnd(0, 1), a);
}

TEST(RandomTest, RandIncludesBothEndsInEitherArgumentOrder) {
    SeedRnd(99);
    bool seen[5] = {};
    for (int i = 0; i < 2000; ++i) {
        int v = Rand(1, 5);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 5);
        seen[v - 1] = true;
        int w = Rand(2, -2);
        ASSERT_GE(w, -2);
        ASSERT_LE(w, 2);
    }
    for (bool s : seen) EXPECT_TRUE(s);
    EXPECT_EQ(Rand(7, 7), 7);
    int extreme = Rand(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    (void)extreme;  // must not overflow
    double r = Rnd(10, 5);
    EXPECT_GE(r, 5.0);
    EXPECT_LT(r, 10.0);
}

TEST(TextTest, LenientIntegers) {
    EXPECT_EQ(ToInt("42"), 42);
    EXPECT_EQ(ToInt("  7"), 7);
    EXPECT_EQ(ToInt("-13xyz"), -13);
    EXPECT_EQ(ToInt("+5"), 5);
    EXPECT_EQ(ToInt("3=4"), 3);
    EXPECT_EQ(ToInt(""), 0);
    EXPECT_EQ(ToInt("abc"), 0);
    EXPECT_EQ(ToInt("$1F"), 31);
    EXPECT_EQ(ToInt("$ff"), 255);
    EXPECT_EQ(ToInt("%101"), 5);
    EXPECT_EQ(ToInt("%102"), 2);
    EXPECT_EQ(ToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(ToInt("99999999999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(ToInt("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(ToInt("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(ToInt(std::string(1 << 20, '9')), std::numeric_limits<int>::max());
    // Whether a digit was read at all: "0" is a number, "", "-", "$g" and "%2" are not.
    int v = 5;
    EXPECT_TRUE(ReadInt(" 0", v) && v == 0);
    EXPECT_TRUE(ReadInt("$ff", v) && v == 255);
    for (const char* none : {"", "-", "$g", "%2", "x1"}) {
        EXPECT_FALSE(ReadInt(none, v)) << none;
        EXPECT_EQ(v, 0) << none;
    }
    EXPECT_EQ(ToDouble("0.5"), 0.5);
    EXPECT_EQ(ToDouble("-0.5"), -0.5);
    EXPECT_EQ(ToDouble(""), 0.0);
    EXPECT_EQ(ToDouble("inf"), 0.0);
}

TEST(TextTest, SplitKeepsEmptyPiecesAndUpperTouchesOnlyLetters) {
    EXPECT_EQ(Split("&&", "&"), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Split("", "&"), (std::vector<std::string>{""}));
    EXPECT_EQ(Split("a=b=c", "="), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Upper("Move right 1!\xe9"), "MOVE RIGHT 1!\xe9");
}

TEST(TextTest, IntTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(Int(2.7), 2);
    EXPECT_EQ(Int(-2.7), -2);
    EXPECT_EQ(Int(1e20), std::numeric_limits<int>::max());
    EXPECT_EQ(Int(-1e20), std::numeric_limits<int>::min());
    EXPECT_EQ(Int(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_NEAR(ATan2(-1, 0), -90.0, 1e-9);
    EXPECT_NEAR(Sin(90), 1.0, 1e-12);
    EXPECT_EQ(Sgn(-3), -1);
}

}  // namespace
