#pragma once

#include <vector>

namespace Opt::RSM {

// The fitted-data record every surrogate owns: the response values it is fitted
// to and the divisor applied to them. Each model type derives its own record
// (PRData, RBFData, SVRData, ...) and reports its type code through dataType; a
// plain RSMData reports -1 (models whose record holds nothing more).
class RSMData {
public:
    virtual ~RSMData() = default;
    virtual int dataType() const { return -1; }

    std::vector<double> values; // one per sample point, response value / scale
    double scale = 1.0;
};

} // namespace Opt::RSM
