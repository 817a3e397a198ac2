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

TEST(GABinaryStringDecode, AllOnesIsOneAndAllZerosIsZero)
{
    for (int bits : {1, 7, 15, 32, 40}) {
        std::vector<double> out(2, -1.0);
        decltype(out) expected = {1.0, 0.0};
        stringOf(std::string(static_cast<std::size_t>(bits), '1') +
                 std::string(static_cast<std::size_t>(bits), '0'))
            .decode(out, {bits, bits});
        EXPECT_EQ(out, expected) << bits << " bits";
    }
}

TEST(GABinaryStringDecode, FirstBitOfAFieldIsTheMostSignificant)
{
    std::vector<double> out(3);
    stringOf("000000000000001" "101" "01").decode(out, {15, 3, 2});
    EXPECT_EQ(out[0], 1.0 / 32767.0);
    EXPECT_EQ(out[1], 5.0 / 7.0);
    EXPECT_EQ(out[2], 1.0 / 3.0);
}

TEST(GABinaryStringDecode, NeverReadsPastTheString)
{
    std::vector<double> out = {-1.0, -1.0, -1.0};
    stringOf("1111").decode(out, {2, 3, 1});
    EXPECT_EQ(out, (std::vector<double>{1.0, -1.0, -1.0}));
    out = {-1.0};
    stringOf("1111").decode(out, {2, 2}); // more fields than outputs
    EXPECT_EQ(out, (std::vector<double>{1.0}));
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
