#include "reliability/DWEIBULL_Parameter.h"

#include <boost/math/distributions/weibull.hpp>

namespace Opt {

namespace {

boost::math::weibull_distribution<> boostDistribution(const DWEIBULL_Parameter& record)
{
    return boost::math::weibull_distribution<>(record.shape(), record.scale());
}

} // namespace

DWEIBULL_Parameter::DWEIBULL_Parameter(double shift, double shape, double scale)
    : DISTRIBUTION_Parameter({shift, shape, scale, 0.0})
{
    requireFiniteShift("Opt::DWEIBULL_Parameter::DWEIBULL_Parameter", shift);
    boostDistribution(*this); // rejects a bad shape or scale now rather than at first use
}

double DWEIBULL_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this)) + shift();
}

double DWEIBULL_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DWEIBULL_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DWEIBULL_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DWEIBULL_Parameter::kurtosis() const
{
    return boost::math::kurtosis_excess(boostDistribution(*this)) + 3.0;
}

double DWEIBULL_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x - shift());
}

double DWEIBULL_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x - shift());
}

double DWEIBULL_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p) + shift();
}

} // namespace Opt
