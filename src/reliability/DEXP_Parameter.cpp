#include "reliability/DEXP_Parameter.h"

#include <boost/math/distributions/exponential.hpp>

namespace Opt {

namespace {

boost::math::exponential_distribution<> boostDistribution(const DEXP_Parameter& record)
{
    return boost::math::exponential_distribution<>(record.rate());
}

} // namespace

DEXP_Parameter::DEXP_Parameter(double shift, double rate)
    : DISTRIBUTION_Parameter({shift, rate, 0.0, 0.0})
{
    requireFiniteShift("Opt::DEXP_Parameter::DEXP_Parameter", shift);
    boostDistribution(*this); // rejects a bad rate now rather than at first use
}

double DEXP_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this)) + shift();
}

double DEXP_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DEXP_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DEXP_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DEXP_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DEXP_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x - shift());
}

double DEXP_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x - shift());
}

double DEXP_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p) + shift();
}

} // namespace Opt
