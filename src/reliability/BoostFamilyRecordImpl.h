#pragma once

// The members of BoostFamilyRecord, for the family sources that instantiate it
// (after including the Boost header of their distribution).
#include "reliability/BoostFamilyRecord.h"

namespace Opt {

namespace BoostFamily {

// Boost's accessors are found by argument-dependent lookup on the distribution,
// which keeps this file free of any one distribution's header.
template <class Distribution>
double meanOf(const Distribution& d) { return mean(d); }
template <class Distribution>
double standardDeviationOf(const Distribution& d) { return standard_deviation(d); }
template <class Distribution>
double varianceOf(const Distribution& d) { return variance(d); }
template <class Distribution>
double skewnessOf(const Distribution& d) { return skewness(d); }
template <class Distribution>
double kurtosisOf(const Distribution& d) { return kurtosis(d); }
template <class Distribution>
double pdfOf(const Distribution& d, double x) { return pdf(d, x); }
template <class Distribution>
double cdfOf(const Distribution& d, double x) { return cdf(d, x); }
template <class Distribution>
double quantileOf(const Distribution& d, double p) { return quantile(d, p); }

} // namespace BoostFamily

template <class Family>
double BoostFamilyRecord<Family>::mean() const
{
    return BoostFamily::meanOf(distribution()) + shift();
}

template <class Family>
double BoostFamilyRecord<Family>::standardDeviation() const
{
    return BoostFamily::standardDeviationOf(distribution());
}

template <class Family>
double BoostFamilyRecord<Family>::variance() const
{
    return BoostFamily::varianceOf(distribution());
}

template <class Family>
double BoostFamilyRecord<Family>::skewness() const
{
    return BoostFamily::skewnessOf(distribution());
}

template <class Family>
double BoostFamilyRecord<Family>::kurtosis() const
{
    return BoostFamily::kurtosisOf(distribution());
}

template <class Family>
double BoostFamilyRecord<Family>::pdf(double x) const
{
    return BoostFamily::pdfOf(distribution(), x - shift());
}

template <class Family>
double BoostFamilyRecord<Family>::cdf(double x) const
{
    return BoostFamily::cdfOf(distribution(), x - shift());
}

template <class Family>
double BoostFamilyRecord<Family>::quantile(double p) const
{
    return BoostFamily::quantileOf(distribution(), p) + shift();
}

} // namespace Opt
