#pragma once

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

inline const double kPi = std::acos(-1.0);
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Φ(z), the standard normal distribution function, from the C++ library's erfc.
inline double standardNormalCdf(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

struct Moments {
    double mean;
    double standardDeviation;
    double skewness;
    double kurtosis;
};

// The four moments, and the variance as the square of the standard deviation.
inline void expectMoments(const DISTRIBUTION_Parameter& record, const Moments& expected, double tolerance)
{
    EXPECT_NEAR(record.mean(), expected.mean, tolerance) << "mean";
    EXPECT_NEAR(record.standardDeviation(), expected.standardDeviation, tolerance) << "standard deviation";
    EXPECT_NEAR(record.variance(), expected.standardDeviation * expected.standardDeviation, tolerance)
        << "variance";
    EXPECT_NEAR(record.skewness(), expected.skewness, tolerance) << "skewness";
    EXPECT_NEAR(record.kurtosis(), expected.kurtosis, tolerance) << "kurtosis";
}

// cdf(quantile(p)) = p over the body and both tails.
inline void expectCdfInvertsQuantile(const DISTRIBUTION_Parameter& record, double tolerance)
{
    for (double p : {0.001, 0.05, 0.25, 0.5, 0.75, 0.95, 0.999}) {
        EXPECT_NEAR(record.cdf(record.quantile(p)), p, tolerance) << "p = " << p;
    }
}

// The call throws Exception and its message contains text.
template <class Exception, class Call>
void expectErrorMentioning(Call call, const std::string& text)
{
    try {
        call();
        ADD_FAILURE() << "no exception; expected one mentioning \"" << text << "\"";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
    }
}

} // namespace Opt
