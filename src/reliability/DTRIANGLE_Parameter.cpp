#include "reliability/DTRIANGLE_Parameter.h"

#include <boost/math/distributions/triangular.hpp>

namespace Opt {

namespace {

boost::math::triangular_distribution<> boostDistribution(const DTRIANGLE_Parameter& record)
{
    return boost::math::triangular_distribution<>(record.lowerEnd(), record.mode(), record.upperEnd());
}

} // namespace

DTRIANGLE_Parameter::DTRIANGLE_Parameter(double lower, double mode, double upper)
    : DISTRIBUTION_Parameter({lower, mode, upper, 0.0}, lower, upper)
{
    boostDistribution(*this); // rejects a bad lower, mode or upper now rather than at first use
}

double DTRIANGLE_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this));
}

double DTRIANGLE_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DTRIANGLE_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DTRIANGLE_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DTRIANGLE_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DTRIANGLE_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x);
}

double DTRIANGLE_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x);
}

double DTRIANGLE_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p);
}

} // namespace Opt
