#include "reliability/DLGNMAL_Parameter.h"

#include <cmath>

#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/policies/error_handling.hpp>

namespace Opt {

namespace {

boost::math::lognormal_distribution<> boostDistribution(const DLGNMAL_Parameter& record)
{
    return boost::math::lognormal_distribution<>(record.logLocation(), record.logScale());
}

} // namespace

DLGNMAL_Parameter::DLGNMAL_Parameter(double logLocation, double logScale)
    : DISTRIBUTION_Parameter({logLocation, logScale, 0.0, 0.0})
{
    boostDistribution(*this); // rejects a bad parameter now rather than at first use
}

DLGNMAL_Parameter DLGNMAL_Parameter::fromMeanAndStandardDeviation(double mean,
                                                                  double standardDeviation)
{
    if (standardDeviation < 0.0) {
        boost::math::policies::raise_domain_error<double>(
            "Opt::DLGNMAL_Parameter::fromMeanAndStandardDeviation",
            "Scale parameter is %1%, but must be > 0 !", standardDeviation,
            boost::math::policies::policy<>());
    }
    const double ratio = standardDeviation / mean;
    // log1p keeps s accurate when the coefficient of variation is small.
    const double logScale = std::sqrt(std::log1p(ratio * ratio));
    const double logLocation = std::log(mean) - 0.5 * logScale * logScale;
    return DLGNMAL_Parameter(logLocation, logScale);
}

double DLGNMAL_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this));
}

double DLGNMAL_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DLGNMAL_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DLGNMAL_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DLGNMAL_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DLGNMAL_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x);
}

double DLGNMAL_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x);
}

double DLGNMAL_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p);
}

} // namespace Opt
