#pragma once

#include <array>
#include <string>

#include "reliability/BulkDataBase.h"

namespace Opt {

// The distribution record of one random input: the abstract base of the nine
// family records (normal, lognormal, exponential, uniform, Rayleigh, gamma,
// Weibull, beta, triangle).
//
// A record holds the index of the random variable it describes, the lower and
// upper end of the support (set only by the bounded families: uniform, beta and
// triangle; 0 for the others) and up to four family parameters p1..p4 whose
// meaning each family documents. It answers the moments, the density, the
// distribution function and its inverse, the location shift, a type code and a
// display name.
//
// The numerical work is Boost.Math's statistical distributions under Boost's
// default error policy: a parameter outside a family's domain, a variate the
// family rejects or a probability outside [0, 1] throws std::domain_error, an
// unbounded result (the normal quantile of 0, say) std::overflow_error. Records
// check their parameters when they are built and Boost checks them again on
// every call; records catch nothing, so the caller sees Boost's exception and
// message.
//
// Records are immutable once built (only the variable index can be set), so a
// record that was built is a valid one.
//
// References: N. L. Johnson, S. Kotz, N. Balakrishnan, Continuous Univariate
// Distributions, vols. 1 and 2, 2nd ed., Wiley 1994-95; the Boost.Math
// statistical distributions documentation.
class DISTRIBUTION_Parameter : public BulkDataBase {
public:
    static constexpr int kFamilyParameterCount = 4;
    using FamilyParameters = std::array<double, kFamilyParameterCount>;

    // Families override all but shift, which only the shifted families change;
    // those built on a Boost distribution do it once, in BoostFamilyRecord.
    virtual double mean() const = 0;
    virtual double standardDeviation() const = 0;
    virtual double variance() const = 0;
    virtual double skewness() const = 0;
    virtual double kurtosis() const = 0; // not the excess: a normal gives 3
    virtual double pdf(double x) const = 0;
    virtual double cdf(double x) const = 0;
    virtual double shift() const;
    virtual int typeCode() const = 0;
    virtual std::string name() const = 0;
    virtual double quantile(double p) const = 0; // the inverse of cdf

    int variableIndex() const { return index; }
    void setVariableIndex(int variable) { index = variable; }
    double lowerEnd() const { return supportLower; }
    double upperEnd() const { return supportUpper; }
    const FamilyParameters& familyParameters() const { return parameters; }

protected:
    explicit DISTRIBUTION_Parameter(const FamilyParameters& familyValues, double lower = 0.0,
                                    double upper = 0.0);

    // Parameter checks the Boost distributions do not make for the records,
    // raised as Boost's domain errors so that every bad parameter reads alike.
    // `function` names the record's constructor in the message.
    static void requireFiniteShift(const char* function, double shift);
    static void requireFiniteInterval(const char* function, double lower, double upper);

private:
    int index = 0;
    double supportLower = 0.0;
    double supportUpper = 0.0;
    FamilyParameters parameters{};
};

} // namespace Opt
