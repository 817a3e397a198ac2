#include "reliability/DNORMAL_Parameter.h"

#include <boost/math/distributions/normal.hpp>

namespace Opt {

namespace {

boost::math::normal_distribution<> boostDistribution(const DNORMAL_Parameter& record)
{
    const auto& p = record.familyParameters();
    return boost::math::normal_distribution<>(p[0], p[1]);
}

} // namespace

DNORMAL_Parameter::DNORMAL_Parameter(double mean, double standardDeviation)
    : DISTRIBUTION_Parameter({mean, standardDeviation, 0.0, 0.0})
{
    boostDistribution(*this); // rejects a bad parameter now rather than at first use
}

double DNORMAL_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this));
}

double DNORMAL_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DNORMAL_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DNORMAL_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DNORMAL_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DNORMAL_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x);
}

double DNORMAL_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x);
}

double DNORMAL_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p);
}

} // namespace Opt
