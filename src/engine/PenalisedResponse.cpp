#include "engine/PenalisedResponse.h"

#include <cmath>
#include <limits>

#include "common/NumericConstants.h"

namespace Opt {

bool isFailedResponse(double value)
{
    return !(std::fabs(value) < kFailedEvaluation);
}

PenalisedResponse penaliseResponses(const std::vector<ResponseRow>& rows, int objectiveRow,
                                    double penalty, const ConstraintExcess& excess)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const PenalisedResponse failed{kInfinity, kInfinity, true};
    double objective = 0.0;
    double violation = 0.0;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const double value = rows[j].value;
        if (isFailedResponse(value)) {
            return failed;
        }
        if (static_cast<int>(j) == objectiveRow) {
            objective = value;
            continue;
        }
        const double over = excess(value, rows[j]);
        if (std::isnan(over)) {
            return failed;
        }
        violation += over > 0.0 ? over : 0.0;
    }
    return {penalty >= 0.0 ? objective + penalty * violation : objective, violation, false};
}

} // namespace Opt
