#include "reliability/DUNIFRM_Parameter.h"

#include <boost/math/distributions/uniform.hpp>

namespace Opt {

namespace {

boost::math::uniform_distribution<> boostDistribution(const DUNIFRM_Parameter& record)
{
    return boost::math::uniform_distribution<>(record.lowerEnd(), record.upperEnd());
}

} // namespace

DUNIFRM_Parameter::DUNIFRM_Parameter(double lower, double upper)
    : DISTRIBUTION_Parameter({lower, upper, 0.0, 0.0}, lower, upper)
{
    boostDistribution(*this); // rejects a bad interval now rather than at first use
}

double DUNIFRM_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this));
}

double DUNIFRM_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DUNIFRM_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DUNIFRM_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DUNIFRM_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DUNIFRM_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x);
}

double DUNIFRM_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x);
}

double DUNIFRM_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p);
}

} // namespace Opt
