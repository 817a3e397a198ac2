#include "reliability/DRAYLGH_Parameter.h"

#include <boost/math/distributions/rayleigh.hpp>

namespace Opt {

namespace {

boost::math::rayleigh_distribution<> boostDistribution(const DRAYLGH_Parameter& record)
{
    return boost::math::rayleigh_distribution<>(record.sigma());
}

} // namespace

DRAYLGH_Parameter::DRAYLGH_Parameter(double shift, double sigma)
    : DISTRIBUTION_Parameter({shift, sigma, 0.0, 0.0})
{
    requireFiniteShift("Opt::DRAYLGH_Parameter::DRAYLGH_Parameter", shift);
    boostDistribution(*this); // rejects a bad sigma now rather than at first use
}

double DRAYLGH_Parameter::mean() const
{
    return boost::math::mean(boostDistribution(*this)) + shift();
}

double DRAYLGH_Parameter::standardDeviation() const
{
    return boost::math::standard_deviation(boostDistribution(*this));
}

double DRAYLGH_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this));
}

double DRAYLGH_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DRAYLGH_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DRAYLGH_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), x - shift());
}

double DRAYLGH_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), x - shift());
}

double DRAYLGH_Parameter::quantile(double p) const
{
    return boost::math::quantile(boostDistribution(*this), p) + shift();
}

} // namespace Opt
