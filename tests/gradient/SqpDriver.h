#pragma once

// Drives an SQP engine in host-array mode through the session, the way the
// entry points do (evaluate the start first, supply gradients on request), and
// records what the host sees.

#include <functional>
#include <memory>
#include <vector>

#include "api/zelkor.h"
#include "gradient/SequentialQuadraticProgramming.h"

namespace Opt::Testing {

using Point = std::vector<double>;
using Model = std::function<Point(const Point&)>;
// Derivatives g[i][j] of response j with respect to variable i, caller units.
using GradientModel = std::function<std::vector<Point>(const Point&)>;

// Twelve unset (-999) ints or reals with the given positions set.
template <typename T>
std::vector<T> unsetExcept(int count, std::initializer_list<std::pair<int, T>> set)
{
    std::vector<T> values(static_cast<std::size_t>(count), T(-999));
    for (const auto& [position, value] : set) {
        values[static_cast<std::size_t>(position)] = value;
    }
    return values;
}

inline std::vector<int> sqpInts(std::initializer_list<std::pair<int, int>> set = {})
{
    return unsetExcept(SQPParameter::kIntCount, set);
}

inline std::vector<double> sqpReals(std::initializer_list<std::pair<int, double>> set = {})
{
    return unsetExcept(SQPParameter::kRealCount, set);
}

class SqpDriver {
public:
    SqpDriver(const Point& start, const std::vector<std::vector<double>>& bounds, int nResponses,
              std::vector<double> reals = sqpReals(), std::vector<int> ints = sqpInts())
        : x(start), f(static_cast<std::size_t>(nResponses), 0.0),
          gradientRows(start.size(), Point(static_cast<std::size_t>(nResponses), 0.0)),
          session(static_cast<int>(start.size()), nResponses, start, bounds, reals.data(),
                  ints.data(), SequentialQuadraticProgramming::kMethodCode, 0)
    {
        for (Point& row : gradientRows) {
            g.push_back(row.data());
        }
        engine = dynamic_cast<SequentialQuadraticProgramming*>(session.engine.get());
    }

    // Runs from the evaluation of the start (or from `state`) until a step
    // returns 0 or -1, or until `stop` says so after a step; returns the last
    // step code (or state). `afterStep` sees the engine after every step.
    int run(const Model& model, const GradientModel& gradients = {},
            const std::function<void(const SequentialQuadraticProgramming&, int)>& afterStep = {},
            const std::function<bool()>& stop = {}, int state = 1)
    {
        for (;;) {
            if (state == 1) {
                evaluate(model);
            } else if (state == 4) {
                supplyGradients(gradients);
            } else if (state != 2 && state != 3) {
                return state;
            }
            state = session.runOptEngine(x.data(), f.data(), g.data());
            if (afterStep) {
                afterStep(*engine, state);
            }
            if (stop && stop()) {
                return state;
            }
        }
    }

    void evaluate(const Model& model)
    {
        evaluated.push_back(x);
        f = model(x);
    }

    void supplyGradients(const GradientModel& gradients)
    {
        ++gradientRequests;
        if (!gradients) {
            return;
        }
        const std::vector<Point> values = gradients(x);
        for (std::size_t i = 0; i < gradientRows.size(); ++i) {
            gradientRows[i] = values[i];
            g[i] = gradientRows[i].data();
        }
    }

    Point x;
    Point f;
    std::vector<Point> gradientRows;
    std::vector<double*> g;
    OptEngineMain session;
    SequentialQuadraticProgramming* engine = nullptr;
    std::vector<Point> evaluated; // every design handed to the host, in order
    int gradientRequests = 0;
};

} // namespace Opt::Testing
