#pragma once

#include "ga/LayoutMicroGA.h"

namespace Opt {

// The layout micro-GA for a rectangular section: the bars of the layer lie on a
// straight line of the spread length (the width between the outermost bar
// centres, b - 2 cover - 2 stirrup - bar diameter), one at each end and one at
// every spacing between: floor(length / spacing) + 1 bars.
class MicroGARectDimension : public LayoutMicroGA {
public:
    using LayoutMicroGA::LayoutMicroGA;
    int barCount(double spacing) const override;
};

} // namespace Opt
