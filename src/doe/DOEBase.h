#pragma once

#include <memory>
#include <vector>

#include "common/DesignVariable.h"
#include "doe/DOESamplingPointSet.h"

namespace Opt::DOE {

// The common part of every design of experiments: the design variables it is
// built for, its point set, and the construction every design shares.
//
// A design does its work when it is constructed: it allocates pointCount points,
// generates them in normalised units (0 at a variable's lower bound, 1 at its
// upper bound), snaps them to the variables' discrete levels and removes
// duplicates when snapping is requested, and scales them to the bounds. After
// construction pointSet->points holds caller units. Designs are held by shared
// pointer; the point set may be shared further (a surrogate study keeps it as
// its sample).
//
// Snapping applies to every factor that has discrete levels when snapAll is set,
// and to the factors listed in discreteFactors in any case. A value is first
// clamped to the range of the factor's levels and then moved to the nearer of the
// two levels around it, the lower one on a tie. Whenever snapping is requested
// (snapAll or a non-empty discreteFactors), points closer than kDuplicateDistance
// (Euclidean, normalised units) to an earlier point are removed afterwards; the
// others keep their order and pointCount shrinks accordingly.
//
// Inconsistent arguments (no variables, a non-finite bound, a discrete-factor
// index outside the variables, negative counts in the designs) throw
// std::invalid_argument naming the value; more than
// DOESamplingPointSet::kPointLimit points throw the library's point-limit
// message as a std::string. Either way no design results.
class DOEBase {
public:
    static constexpr double kDuplicateDistance = 0.0001;

    virtual ~DOEBase() = default;
    DOEBase(const DOEBase&) = delete;
    DOEBase& operator=(const DOEBase&) = delete;

    std::shared_ptr<DOESamplingPointSet> pointSet;
    int factorCount = -1;
    int pointCount = -1;
    bool snapAll = false;
    std::vector<int> discreteFactors;
    // Levels per factor in the factorial family and in orthogonal arrays; the
    // studied factor in a one-dimensional study; unused otherwise.
    int levels = 0;
    std::vector<DesignVariable> variables;

protected:
    // Passed by designs whose subclasses build the points themselves.
    struct DeferConstruction {};

    DOEBase(const std::vector<DesignVariable>& variables, bool snapAll,
            std::vector<int> discreteFactors);

    // The whole construction: allocate count points, generate, finish.
    void construct(int count);
    void allocatePoints(int count);
    // Snapping and duplicate removal (when requested), then scaling to the bounds.
    void finishConstruction();

    // Fills the allocated points in normalised units.
    virtual void generate() {}

    std::vector<std::vector<double>>& points() { return pointSet->points; }

private:
    bool snapRequested() const;
    void snapToLevels();
    void removeDuplicates();
    void scaleToBounds();
};

} // namespace Opt::DOE
