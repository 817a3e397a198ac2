// The cap on the BLAS provider's threads holds for its scope and is undone
// after; a provider without the setting (or already at the cap) is left alone.
#include "linalg/BlasThreadLimit.h"

#include <gtest/gtest.h>

namespace Opt {
namespace {

TEST(BlasThreadLimit, CapsTheProviderForItsScopeOnly)
{
    const int before = Linalg::BlasThreadLimit::providerThreads();
    if (before == 0) {
        GTEST_SKIP() << "the BLAS provider does not report its threads";
    }
    {
        const Linalg::BlasThreadLimit limit(1);
        EXPECT_EQ(Linalg::BlasThreadLimit::providerThreads(), 1);
        const Linalg::BlasThreadLimit looser(before + 1);
        EXPECT_EQ(Linalg::BlasThreadLimit::providerThreads(), 1) << "a looser cap changes nothing";
    }
    EXPECT_EQ(Linalg::BlasThreadLimit::providerThreads(), before);
}

} // namespace
} // namespace Opt
