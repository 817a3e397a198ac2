#pragma once

#include "ga/LayoutMicroGA.h"

namespace Opt {

// The layout micro-GA for a circular section: the bars lie on a circle whose
// diameter is the spread length (the section's diameter less twice the cover,
// the tie and half a bar), at most one per spacing of its circumference:
// floor(pi * length / spacing) bars. No minimum is imposed; a host whose code
// asks for six bars in a tied column says so with a constraint.
class MicroGARoundDimension : public LayoutMicroGA {
public:
    using LayoutMicroGA::LayoutMicroGA;
    int barCount(double spacing) const override;
};

} // namespace Opt
