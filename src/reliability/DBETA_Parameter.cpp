#include "reliability/DBETA_Parameter.h"

#include <cmath>

#include <boost/math/distributions/beta.hpp>

namespace Opt {

namespace {

boost::math::beta_distribution<> boostDistribution(const DBETA_Parameter& record)
{
    return boost::math::beta_distribution<>(record.alpha(), record.beta());
}

} // namespace

DBETA_Parameter::DBETA_Parameter(double lower, double upper, double alpha, double beta)
    : DISTRIBUTION_Parameter({lower, upper, alpha, beta}, lower, upper)
{
    requireFiniteInterval("Opt::DBETA_Parameter::DBETA_Parameter", lower, upper);
    boostDistribution(*this); // rejects a bad alpha or beta now rather than at first use
}

double DBETA_Parameter::mean() const
{
    return lowerEnd() + boost::math::mean(boostDistribution(*this)) * width();
}

double DBETA_Parameter::standardDeviation() const
{
    return std::sqrt(variance());
}

double DBETA_Parameter::variance() const
{
    return boost::math::variance(boostDistribution(*this)) * width() * width();
}

double DBETA_Parameter::skewness() const
{
    return boost::math::skewness(boostDistribution(*this));
}

double DBETA_Parameter::kurtosis() const
{
    return boost::math::kurtosis(boostDistribution(*this));
}

double DBETA_Parameter::pdf(double x) const
{
    return boost::math::pdf(boostDistribution(*this), standardised(x));
}

double DBETA_Parameter::cdf(double x) const
{
    return boost::math::cdf(boostDistribution(*this), standardised(x));
}

double DBETA_Parameter::quantile(double p) const
{
    return lowerEnd() + boost::math::quantile(boostDistribution(*this), p) * width();
}

} // namespace Opt
