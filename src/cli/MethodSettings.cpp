#include "cli/MethodSettings.h"

#include <climits>

namespace Opt {
namespace Cli {

namespace {

using Array = MethodSetting::Array;
using Kind = MethodSetting::Kind;

const std::vector<MethodSetting>& sqpSettings()
{
    static const std::vector<MethodSetting> settings = {
        {"maxiter", Array::Ints, 0, Kind::Count, "iterations (30)"},
        {"line_search_trials", Array::Ints, 4, Kind::Count, "line-search trials (10)"},
        {"ftol", Array::Reals, 0, Kind::Real, "objective tolerance, relative change (0.005)"},
        {"xtol", Array::Reals, 1, Kind::Real, "step tolerance in [0, 1] units of the ranges (0)"},
        {"fd_step", Array::Reals, 2, Kind::Real, "finite-difference step in [0, 1] units (1e-5)"},
        {"move_limit", Array::Reals, 3, Kind::Real,
         "half-width of the step box in [0, 1] units (0.3)"},
    };
    return settings;
}

const std::vector<MethodSetting>& gaSettings()
{
    static const std::vector<MethodSetting> settings = {
        {"maxfev", Array::Ints, 1, Kind::Count, "evaluations (10000)"},
        {"population", Array::Ints, 5, Kind::Count, "population size (251; micro-GA 7)"},
        {"stall_generations", Array::Ints, 6, Kind::Count,
         "generations without improvement before stopping (50)"},
    };
    return settings;
}

// The hybrid's local searches read the SQP's settings at the SQP's positions.
std::vector<MethodSetting> hybridSettings()
{
    std::vector<MethodSetting> settings = gaSettings();
    for (MethodSetting local : sqpSettings()) {
        local.name = "local_" + local.name;
        local.meaning = "local search: " + local.meaning;
        settings.push_back(local);
    }
    return settings;
}

}  // namespace

const std::vector<MethodInfo>& methods()
{
    using K = MethodCall::Kind;
    static const std::vector<MethodInfo> list = {
        {"sqp", K::Sqp, 1, -1, 0, 0},
        {"direct", K::Direct, 0, 2, 3000, 10000},
        {"ga", K::Ga, 2, 1, 10000, INT_MAX},
        {"microga", K::MicroGa, 3, 1, 10000, INT_MAX},
        {"hybridga", K::HybridGa, 4, -1, 0, 0},  // its local searches come on top of the GA's
        {"sao", K::Sao, 5, 1, 4000, INT_MAX},
        {"surrogate", K::SurrogateStudy, -1, -1, 0, 0},
    };
    return list;
}

const MethodInfo* findMethod(const std::string& name)
{
    for (const MethodInfo& method : methods()) {
        if (method.name == name) {
            return &method;
        }
    }
    return nullptr;
}

const MethodInfo& methodOf(MethodCall::Kind kind)
{
    for (const MethodInfo& method : methods()) {
        if (method.kind == kind) {
            return method;
        }
    }
    return methods().front();
}

const std::vector<MethodSetting>& settingsOf(MethodCall::Kind kind)
{
    static const std::vector<MethodSetting> none;
    static const std::vector<MethodSetting> direct = {
        {"maxiter", Array::Ints, 1, Kind::Count, "iterations (50, at most 100)"},
        {"maxfev", Array::Ints, 2, Kind::Count, "evaluations (3000, at most 10000)"},
        {"max_depth", Array::Ints, 3, Kind::Count, "division depth (500)"},
        {"penalty", Array::Reals, 0, Kind::Real, "constraint penalty factor (5.0)"},
    };
    static const std::vector<MethodSetting> hybrid = hybridSettings();
    static const std::vector<MethodSetting> sao = {
        {"maxiter", Array::Ints, 0, Kind::Count, "accepted cycles (100)"},
        {"maxfev", Array::Ints, 1, Kind::Count, "evaluations, never exceeded (4000)"},
        {"surrogate", Array::Ints, 8, Kind::SurrogateType, "surrogate type (polynomial)"},
        {"move_limit", Array::Reals, 3, Kind::Real,
         "initial move limit, fraction of each range (0.1)"},
        {"ctol", Array::Reals, 4, Kind::Real, "constraint tolerance (0.003)"},
        {"ftol", Array::Reals, 5, Kind::Real, "objective tolerance, relative change (0.001)"},
    };
    switch (kind) {
    case MethodCall::Kind::Sqp: return sqpSettings();
    case MethodCall::Kind::Direct: return direct;
    case MethodCall::Kind::Ga:
    case MethodCall::Kind::MicroGa: return gaSettings();
    case MethodCall::Kind::HybridGa: return hybrid;
    case MethodCall::Kind::Sao: return sao;
    default: return none;
    }
}

bool takesSeed(MethodCall::Kind kind)
{
    return kind == MethodCall::Kind::Ga || kind == MethodCall::Kind::MicroGa ||
           kind == MethodCall::Kind::HybridGa;
}

const std::vector<NamedCode>& surrogateTypes()
{
    static const std::vector<NamedCode> names = {{"polynomial", 1}, {"kriging", 2},
                                                 {"rbf", 3},        {"svr", 4},
                                                 {"ensemble", 5},   {"ordinary_kriging", 6}};
    return names;
}

const std::vector<NamedCode>& designTypes()
{
    static const std::vector<NamedCode> names = {
        {"full_factorial", 0},  {"central_composite", 1}, {"latin_hypercube", 2},
        {"parameter_study", 3}, {"orthogonal_array", 4},  {"fractional_factorial", 9}};
    return names;
}

const std::vector<NamedCode>& axialTypes()
{
    static const std::vector<NamedCode> names = {
        {"face", 0}, {"inscribed", 1}, {"circumscribed", 2}};
    return names;
}

const std::vector<NamedCode>& innerSearches()
{
    static const std::vector<NamedCode> names = {{"ga", 2}, {"direct", 0}};
    return names;
}

}  // namespace Cli
}  // namespace Opt
