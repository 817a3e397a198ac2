// The one rule for failed responses and the penalty the DIRECT and GA engines share.
#include "engine/PenalisedResponse.h"

#include <limits>

#include <gtest/gtest.h>

namespace Opt {
namespace {

std::vector<ResponseRow> rowsWith(const std::vector<double>& values)
{
    std::vector<ResponseRow> rows(values.size());
    for (std::size_t j = 0; j < values.size(); ++j) {
        rows[j].value = values[j];
    }
    return rows;
}

double excessOverLimit(double value, const ResponseRow& row)
{
    return value - row.limit;
}

TEST(PenalisedResponse, FailedResponsesRankLastUnderBothTreatments)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::vector<double> values; // objective first
        double penalty;
        double value;
        double violation;
        bool failed;
    };
    const std::vector<Case> cases = {
        {{1.0, 0.5, -2.0}, 10.0, 6.0, 0.5, false},
        {{1.0, 0.5, -2.0}, -1.0, 1.0, 0.5, false}, // feasibility-first: the objective alone
        {{1.0, nan}, 10.0, inf, inf, true},        // a NaN constraint is no zero penalty
        {{1.0, nan}, -1.0, inf, inf, true},
        {{nan, -1.0}, 10.0, inf, inf, true},
        {{-inf, -1.0}, 10.0, inf, inf, true},      // never the best either
        {{1e100, -1.0}, 10.0, inf, inf, true},
        {{1.0, -1e100}, 10.0, inf, inf, true},
        {{9.9e99, -1.0}, 10.0, 9.9e99, 0.0, false},
    };
    for (const Case& c : cases) {
        const PenalisedResponse judged = penaliseResponses(rowsWith(c.values), 0, c.penalty, excessOverLimit);
        EXPECT_EQ(judged.value, c.value) << c.values[0] << ", " << c.values[1];
        EXPECT_EQ(judged.violation, c.violation) << c.values[0] << ", " << c.values[1];
        EXPECT_EQ(judged.failed, c.failed) << c.values[0] << ", " << c.values[1];
    }
}

} // namespace
} // namespace Opt
