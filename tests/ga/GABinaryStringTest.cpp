// Binary chromosomes: field decoding, resizing and flipping.
#include "ga/GABinaryString.h"

#include <gtest/gtest.h>

namespace Opt {
namespace {

GABinaryString stringOf(const std::string& bits)
{
    GABinaryString string;
    string.resize(static_cast<int>(bits.size()));
    for (std::size_t i = 0; i < bits.size(); ++i) {
        string.setBit(static_cast<int>(i), bits[i] == '1');
    }
    return string;
}

// A field of all ones decodes to 1 and of all zeros to 0, at every width; the
// first bit of a field is the most significant; fields past the end of the
// string, or past the outputs, are not read.
TEST(GABinaryStringDecode, FieldsOfTheString)
{
    struct Case {
        std::string bits;
        std::vector<int> fields;
        std::vector<double> out; // before and after
        std::vector<double> expected;
    };
    std::vector<Case> cases{
        {"000000000000001" "101" "01", {15, 3, 2}, {-1.0, -1.0, -1.0}, {1.0 / 32767.0, 5.0 / 7.0, 1.0 / 3.0}},
        {"1111", {2, 3, 1}, {-1.0, -1.0, -1.0}, {1.0, -1.0, -1.0}},
        {"1111", {2, 2}, {-1.0}, {1.0}},
    };
    for (int width : {1, 7, 15, 32, 40}) {
        const auto w = static_cast<std::size_t>(width);
        cases.push_back({std::string(w, '1') + std::string(w, '0'), {width, width}, {-1.0, -1.0}, {1.0, 0.0}});
    }
    for (Case& c : cases) {
        stringOf(c.bits).decode(c.out, c.fields);
        EXPECT_EQ(c.out, c.expected) << c.bits;
    }
}

TEST(GABinaryStringBits, RegrownBitsStartAtZeroAndFlipsToggle)
{
    GABinaryString string = stringOf(std::string(40, '1'));
    string.resize(3);
    string.resize(40);
    for (int i = 3; i < 40; ++i) {
        EXPECT_FALSE(string.bit(i)) << i;
    }
    string.flipBit(35);
    string.flipBit(2);
    string.flipBit(40); // past the end: nothing
    EXPECT_TRUE(string.bit(35));
    EXPECT_FALSE(string.bit(2));
    EXPECT_EQ(string.length(), 40);
}

TEST(GABinaryStringFingerprint, OnlyTheBitsWithinTheLengthCount)
{
    const std::string head(37, '1');
    const GABinaryString first = stringOf(head + std::string(30, '0'));
    const GABinaryString second = stringOf(head + std::string(30, '1'));
    EXPECT_EQ(first.fingerprint(37), second.fingerprint(37));
    EXPECT_NE(first.fingerprint(38), second.fingerprint(38));
    EXPECT_NE(first.fingerprint(67), second.fingerprint(67));
    EXPECT_NE(stringOf("101").fingerprint(3), stringOf("100").fingerprint(3));
}

} // namespace
} // namespace Opt
