#pragma once

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// The beta distribution of a random input scaled to [lower, upper]: the
// standardised value t = (x − lower)/(upper − lower) follows Boost's
// beta_distribution(alpha, beta) (p1 lower, p2 upper, p3 alpha, p4 beta; lower
// and upper are also the record's support ends).
//
// The mean and standard deviation are scaled to the interval: the mean is
// lower + alpha/(alpha + beta)·(upper − lower), the standard deviation Boost's
// times (upper − lower); skewness and kurtosis do not depend on the interval.
// cdf is Boost's at t and quantile maps Boost's quantile q back to
// lower + q·(upper − lower).
//
// Decision: pdf is Boost's density at t, not divided by (upper − lower); over
// the interval it integrates to (upper − lower), so it is the density of X
// itself only on an interval of unit width. Outside [lower, upper] pdf and cdf
// raise Boost's domain error, as the other families do outside their support.
// The interval must be finite with lower below upper, or the record fails when
// built with the uniform family's messages.
class DBETA_Parameter : public DISTRIBUTION_Parameter {
public:
    static constexpr int kTypeCode = 7;

    DBETA_Parameter(double lower, double upper, double alpha, double beta);

    double alpha() const { return familyParameters()[2]; }
    double beta() const { return familyParameters()[3]; }

    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "BETA"; }
    double quantile(double p) const override;

private:
    double width() const { return upperEnd() - lowerEnd(); }
    double standardised(double x) const { return (x - lowerEnd()) / width(); }
};

} // namespace Opt
