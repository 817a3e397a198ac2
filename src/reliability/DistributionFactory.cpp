#include "reliability/DistributionFactory.h"

#include "reliability/DBETA_Parameter.h"
#include "reliability/DEXP_Parameter.h"
#include "reliability/DGAMMA_Parameter.h"
#include "reliability/DLGNMAL_Parameter.h"
#include "reliability/DNORMAL_Parameter.h"
#include "reliability/DRAYLGH_Parameter.h"
#include "reliability/DTRIANGLE_Parameter.h"
#include "reliability/DUNIFRM_Parameter.h"
#include "reliability/DWEIBULL_Parameter.h"

namespace Opt {

namespace {

constexpr int kNoFamily = -1;

int familyCode(double typeValue)
{
    // Range first: a NaN or huge value has no int to convert to.
    if (!(typeValue >= 0.0 && typeValue < kDistributionTypeCount)) {
        return kNoFamily;
    }
    return static_cast<int>(typeValue);
}

std::shared_ptr<DISTRIBUTION_Parameter> createFamily(int code, const double* row)
{
    switch (code) {
    case DNORMAL_Parameter::kTypeCode:
        return std::make_shared<DNORMAL_Parameter>(row[1], row[2]);
    case DLGNMAL_Parameter::kTypeCode:
        return std::make_shared<DLGNMAL_Parameter>(
            DLGNMAL_Parameter::fromMeanAndStandardDeviation(row[1], row[2]));
    case DEXP_Parameter::kTypeCode:
        return std::make_shared<DEXP_Parameter>(row[3], row[1]);
    case DUNIFRM_Parameter::kTypeCode:
        return std::make_shared<DUNIFRM_Parameter>(row[4], row[5]);
    case DRAYLGH_Parameter::kTypeCode:
        return std::make_shared<DRAYLGH_Parameter>(row[3], row[1]);
    case DGAMMA_Parameter::kTypeCode:
        return std::make_shared<DGAMMA_Parameter>(row[3], row[1], row[2]);
    case DWEIBULL_Parameter::kTypeCode:
        return std::make_shared<DWEIBULL_Parameter>(row[3], row[1], row[2]);
    case DBETA_Parameter::kTypeCode:
        return std::make_shared<DBETA_Parameter>(row[4], row[5], row[1], row[2]);
    case DTRIANGLE_Parameter::kTypeCode:
        return std::make_shared<DTRIANGLE_Parameter>(row[4], row[1], row[5]);
    default:
        return nullptr;
    }
}

} // namespace

std::shared_ptr<DISTRIBUTION_Parameter> createDistribution(const double* row, int variableIndex)
{
    if (row == nullptr) {
        return nullptr;
    }
    auto record = createFamily(familyCode(row[0]), row);
    if (record != nullptr) {
        record->setVariableIndex(variableIndex);
    }
    return record;
}

} // namespace Opt
