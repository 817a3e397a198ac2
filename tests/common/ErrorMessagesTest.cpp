#include "common/ErrorMessages.h"

#include <gtest/gtest.h>

namespace Opt {
namespace {

// The table is thrown as plain strings that callers print verbatim.
TEST(ErrorMessages, ThrowsTheMessageAsAString)
{
    try {
        throwError(ErrorCode::PointLimitExceeded);
        FAIL() << "no exception";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT.");
    }
    try {
        throwError(ErrorCode::InvalidInput);
        FAIL() << "no exception";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "INPUT DATAS ARE INVALID.");
    }
}

TEST(ErrorMessages, IndexOutsideTheTableGivesAnEmptyMessage)
{
    EXPECT_EQ(errorMessage(9), "NO FEASIBLE SOLUTION");
    EXPECT_TRUE(errorMessage(-1).empty());
    EXPECT_TRUE(errorMessage(kErrorMessageCount).empty());
}

} // namespace
} // namespace Opt
