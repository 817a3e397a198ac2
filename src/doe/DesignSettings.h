#pragma once

#include <memory>
#include <vector>

#include "common/DesignVariable.h"
#include "doe/DOEBase.h"

namespace Opt::DOE {

// The four flat integers by which the exported design services select a design:
//   [0] type: 0 full factorial, 1 central composite, 2 Latin hypercube,
//       3 one-dimensional study, 4 orthogonal array;
//   [1] 1 snaps every factor that has discrete levels;
//   [2] full factorial: levels; central composite: axial type; Latin
//       hypercube: variant; one-dimensional study: studied factor; orthogonal
//       array: levels;
//   [3] Latin hypercube: samples; one-dimensional study: points; orthogonal
//       array: runs.
// A surrogate study reads the same four integers with one more type, 9 the
// two-level fractional factorial (fromStudyFlat), and may seed its Latin
// hypercube with 0 instead of the clock, so that a study can be repeated.
// Settings that select no design build nothing: another type, a full factorial
// with fewer than one or more than three levels, an axial type other than 0-2,
// a negative count, a studied factor outside the variables. Latin hypercubes
// built from settings are seeded from the clock.
struct DesignSettings {
    static constexpr int kFullFactorial = 0;
    static constexpr int kCentralComposite = 1;
    static constexpr int kLatinHypercube = 2;
    static constexpr int kOneDParameterStudy = 3;
    static constexpr int kOrthogonalArray = 4;
    static constexpr int kFractionalFactorial = 9;
    static constexpr int kLargestFactorialLevels = 3;

    // settings must hold four integers.
    static DesignSettings fromFlat(const int* settings);
    // The study's reading of the four integers: type 9 selects a design too.
    static DesignSettings fromStudyFlat(const int* settings);

    // The design for these variables, or null when the settings select none.
    // Throws what the design's construction throws: the point-limit message, and
    // for an orthogonal array the catalogue's message.
    std::shared_ptr<DOEBase> arrange(const std::vector<DesignVariable>& variables) const;

    // The number of points the design has for factorCount variables: the count of
    // entry 3 for the sampled types (nothing is built), the size of the design
    // built on placeholder variables for the factorial types, 0 when the settings
    // select no design. The factorial types throw the point-limit message.
    int pointCount(int factorCount) const;

    int type = -1;
    bool snapAll = false;
    int option = 0; // entry 2
    int count = 0;  // entry 3
    bool studyCodes = false;
    bool seededFromClock = true;

private:
    bool selectsDesign(int factorCount) const;
};

} // namespace Opt::DOE
