#pragma once

#include <vector>

#include "doe/DOEBase.h"

namespace Opt::RSM {

// A design of experiments whose points are given instead of generated: the
// sample restored from a model file, or a sample a caller already holds (points
// evaluated elsewhere, test data). The points are taken as they are, in the
// coordinates the caller means (the point set's normalised flag keeps its
// default, set); no snapping, no scaling. The design variables are placeholders
// on [-1, 1], one per coordinate, since a given sample carries no bounds.
//
// Points must be rows of one common length of at least one coordinate, at most
// DOESamplingPointSet::kPointLimit of them; otherwise std::invalid_argument
// (rows) or the point-limit message (count) is thrown and no design results.
class GivenPointsDesign : public DOE::DOEBase {
public:
    explicit GivenPointsDesign(const std::vector<std::vector<double>>& points);
};

} // namespace Opt::RSM
