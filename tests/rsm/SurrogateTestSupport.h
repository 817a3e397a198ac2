#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "rsm/CurrentDesign.h"
#include "rsm/FatalError.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM::Testing {

using Points = std::vector<std::vector<double>>;

// Installs a design of the given points as the current design with one response
// column per entry of each response row (ids 0, 1, ... map to columns 0, 1, ...).
inline std::shared_ptr<GivenPointsDesign> installDesign(const Points& points,
                                                        const Points& responses = {})
{
    auto design = std::make_shared<GivenPointsDesign>(points);
    if (!responses.empty()) {
        design->pointSet->responses = responses;
        design->pointSet->hasResponses = true;
        for (std::size_t c = 0; c < responses.front().size(); ++c) {
            design->pointSet->responseColumns[static_cast<int>(c)] = static_cast<int>(c);
        }
    }
    setCurrentDesign(design);
    return design;
}

// Installs points with one response, f at every point.
inline std::shared_ptr<GivenPointsDesign> installFunction(
    const Points& points, const std::function<double(const std::vector<double>&)>& f)
{
    Points responses;
    for (const auto& point : points) {
        responses.push_back({f(point)});
    }
    return installDesign(points, responses);
}

// Scattered points in [-1, 1]^dimension from a fixed integer sequence, so that no
// two coincide and no test depends on a random generator.
inline Points scattered(int count, int dimension)
{
    Points points;
    unsigned state = 12345u;
    for (int i = 0; i < count; ++i) {
        std::vector<double> point;
        for (int k = 0; k < dimension; ++k) {
            state = state * 1103515245u + 12345u;
            point.push_back(static_cast<double>((state >> 8) % 20001u) / 10000.0 - 1.0);
        }
        points.push_back(point);
    }
    return points;
}

inline double relativeDifference(double a, double b)
{
    return std::fabs(a - b) / std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

// A model of the given type on the current design, fitted to response `response`.
template <class Model, class... Args>
std::shared_ptr<Model> fit(int response, bool withCrossValidation, Args&&... args)
{
    auto model = std::make_shared<Model>(std::forward<Args>(args)...);
    model->loadResponse(response);
    EXPECT_TRUE(model->build(withCrossValidation));
    return model;
}

// Expects every leave-one-out prediction of `model` (fitted on `points`, values
// f) at `probes` to equal the prediction of refit(), a fresh model fitted on
// the other points; `check` may test more of each pair.
inline void expectLeaveOneOutEqualsRefits(
    const RSMBase& model, const Points& points,
    const std::function<double(const std::vector<double>&)>& f, const Points& probes,
    bool relative, const std::function<std::shared_ptr<RSMBase>()>& refit,
    const std::function<void(std::size_t, const RSMBase&)>& check = {})
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        Points others = points;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
        installFunction(others, f);
        const auto fresh = refit();
        if (check) {
            check(i, *fresh);
        }
        for (const auto& x : probes) {
            const double a = model.predictLeaveOneOut(static_cast<int>(i), x);
            const double b = fresh->predict(x);
            EXPECT_LE(relative ? relativeDifference(a, b) : std::fabs(a - b), 1e-9) << "point " << i;
        }
    }
}

// A scratch file name (without extension) of its own for the running test and
// process, so that tests run in parallel never share a model file.
inline std::string scratchBase(const std::string& tag)
{
    return ::testing::TempDir() + "zelkor_" + tag + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(static_cast<long>(getpid()));
}

// What write puts on a stream, read back from a scratch file.
inline std::string written(const std::function<void(std::FILE*)>& write)
{
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        ADD_FAILURE() << "no scratch file";
        return {};
    }
    write(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text.push_back(static_cast<char>(c));
    }
    std::fclose(file);
    return text;
}

// Every surrogate test starts without a current design and with the default
// fatal handler, and leaves it so.
class SurrogateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setCurrentDesign(nullptr);
        setFatalHandler(nullptr);
    }
    void TearDown() override
    {
        setCurrentDesign(nullptr);
        setFatalHandler(nullptr);
    }
};

} // namespace Opt::RSM::Testing
