#pragma once

#include <vector>

#include "rsm/NearestSamples.h"

namespace Opt::RSM {

// The process-wide list of the sample points nearest to the current prediction
// point, which the ensemble predictions asked for by a caller read
// (EnsembleOfSurrogates). Before the surrogates of a study are used it is sized
// to the largest neighbour count of the ensembles present; before each ensemble
// prediction at x it is filled with the indices of the sample points nearest to
// x, by ascending squared Euclidean distance, ties in ascending index (a stable
// sort). Not thread-safe: a fill must not overlap another prediction that reads
// it. An ensemble's own passes over its sample (its R^2) use a NearestSamples of
// their own and leave this list alone, so fitting and assessing models never
// touches it.
class NearestSampleList {
public:
    static void resize(int length);
    // Fills the list for x: min(length, number of points) entries.
    static void fill(const std::vector<double>& x, const std::vector<std::vector<double>>& points);
    static const std::vector<int>& indices();
    static int length();
};

} // namespace Opt::RSM
