#include "reliability/DGAMMA_Parameter.h"

#include <boost/math/distributions/gamma.hpp>

namespace Opt {

namespace {

boost::math::gamma_distribution<> boostDistribution(const DGAMMA_Parameter& record)
{
    return boost::math::gamma_distribution<>(record.shape(), record.scale());
}

} // namespace

DGAMMA_Parameter::DGAMMA_Parameter(double shift, double shape, double scale)
    : DISTRIBUTION_Parameter({shift, shape, scale, 0.0})
{
    requireFiniteShift("Opt::DGAMMA_Parameter::DGAMMA_Parameter", shift);
    boostDistribution(*this); // rejects a bad shape or scale now rather than at first use
}

double DGAMMA_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this)) + shift();
}

double DGAMMA_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DGAMMA_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DGAMMA_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DGAMMA_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DGAMMA_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x - shift());
}

double DGAMMA_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x - shift());
}

double DGAMMA_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p) + shift();
}

} // namespace Opt
