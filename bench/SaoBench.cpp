// Sequential approximate optimisation beside our SQP on the sixteen problems of
// tests/managers/SAOReferenceProblems.h, without and with deterministic noise
// of relative size 1e-4 on every response (a hash of the design and the
// response index, so runs repeat). Both run through Zelkor at their defaults,
// the SQP with forward differences; a third row ("SAO+SQP") runs the SAO engine
// from C++ with its refineCandidate switch on (an SQP on the surrogates after
// the genetic search), otherwise at the same defaults.
//
//   SaoBench                 tab-separated rows: noise, problem, method, host
//                            evaluations, objective, relative error, largest
//                            constraint (both taken noise-free at the design
//                            returned); bench/sao_vs_slsqp.py reads them
//   SaoBench --serve NOISE   answers "name x1 ... xn" lines with the responses,
//                            so that SciPy's SLSQP sees exactly these problems
//   SaoBench --list 0        one line per problem: name, start, bounds, optimum
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "managers/SAOManager.h"
#include "tests/managers/SAOReferenceProblems.h"

namespace {

using Opt::Reference::HockSchittkowskiProblem;

constexpr double kNoise = 1e-4;

const HockSchittkowskiProblem* active = nullptr;
double noiseLevel = 0.0;
int calls = 0;

// FNV-1a over the design's bytes and the response index, mapped to [-1, 1).
double hashedUnit(const double* x, int n, int response)
{
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t k = 0; k < size; ++k) {
            hash = (hash ^ bytes[k]) * 1099511628211ULL;
        }
    };
    mix(x, sizeof(double) * static_cast<std::size_t>(n));
    mix(&response, sizeof response);
    return static_cast<double>(hash >> 11) * 0x1.0p-52 - 1.0;
}

void noisyResponses(const HockSchittkowskiProblem& problem, const double* x, double* f, double level)
{
    problem.responses(x, f);
    for (int j = 0; j < problem.nResponses; ++j) {
        f[j] *= 1.0 + level * hashedUnit(x, problem.nVariables(), j);
    }
}

int respond(double* x, int, double* f, int)
{
    ++calls;
    noisyResponses(*active, x, f, noiseLevel);
    return 0;
}

// The SAO with refineCandidate, driven as the general entry point drives
// method 5 (the start evaluated first; unset arrays take the same defaults).
void solveRefined(const HockSchittkowskiProblem& problem, std::vector<double>& x,
                  std::vector<double>& f, const std::vector<std::vector<double>>& boxes)
{
    using Opt::RSM::SAOManager;
    using Opt::RSM::SAOParameter;
    SAOManager sao(problem.start, boxes, problem.nResponses,
                   std::vector<double>(SAOParameter::kRealCount, -999.0),
                   std::vector<int>(SAOParameter::kIntCount, -999), 0);
    static_cast<SAOParameter&>(*sao.parameter).refineCandidate = true;
    int code = 1;
    while (code >= 1 && code <= 3) {
        if (code == 1) {
            respond(x.data(), problem.nVariables(), f.data(), problem.nResponses);
        }
        code = sao.step(x.data(), f.data(), nullptr);
    }
}

// method: a Zelkor method, or -1 for the SAO with refineCandidate.
void solve(const HockSchittkowskiProblem& problem, int method, const char* label)
{
    active = &problem;
    calls = 0;
    const int n = problem.nVariables();
    std::vector<double> x = problem.start;
    std::vector<double> f(static_cast<std::size_t>(problem.nResponses));
    std::vector<std::vector<double>> boxes;
    std::vector<double*> bounds;
    for (int i = 0; i < n; ++i) {
        boxes.push_back({problem.lower[i], problem.upper[i]});
    }
    for (auto& box : boxes) {
        bounds.push_back(box.data());
    }
    int ints[9] = {-999, -999, -999, 1, -999, -999, -999, -999, -999}; // SQP: forward differences
    if (method < 0) {
        solveRefined(problem, x, f, boxes);
    } else {
        Zelkor(method, 0, respond, n, x.data(), bounds.data(), problem.nResponses, f.data(), 0,
               ints, 0, nullptr, nullptr);
    }
    problem.responses(x.data(), f.data());
    double largest = 0.0;
    for (int j = 1; j < problem.nResponses; ++j) {
        largest = std::max(largest, f[static_cast<std::size_t>(j)]);
    }
    const double error = std::fabs(f[0] - problem.optimum) / std::fabs(problem.optimum);
    std::printf("%g\t%s\t%s\t%d\t%.10g\t%.3e\t%.3e\n", noiseLevel, problem.name.c_str(), label,
                calls, f[0], error, largest);
    std::fflush(stdout);
}

int serve(double level)
{
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string name;
        std::getline(in, name, '\t');
        for (const auto& problem : Opt::Reference::saoReferenceProblems()) {
            if (problem.name != name) {
                continue;
            }
            std::vector<double> x(static_cast<std::size_t>(problem.nVariables()));
            for (double& value : x) {
                in >> value;
            }
            std::vector<double> f(static_cast<std::size_t>(problem.nResponses));
            noisyResponses(problem, x.data(), f.data(), level);
            for (const double value : f) {
                std::printf("%.17g ", value);
            }
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}


void printList(const std::vector<double>& values)
{
    for (const double value : values) {
        std::printf("%.17g ", value);
    }
    std::printf("\t");
}

// One line per problem: name, start, lower and upper bounds, optimum.
int list()
{
    for (const auto& problem : Opt::Reference::saoReferenceProblems()) {
        std::printf("%s\t", problem.name.c_str());
        printList(problem.start);
        printList(problem.lower);
        printList(problem.upper);
        std::printf("%.17g\n", problem.optimum);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) {
        return list();
    }
    if (argc == 3 && std::strcmp(argv[1], "--serve") == 0) {
        return serve(std::atof(argv[2]));
    }
    for (const double level : {0.0, kNoise}) {
        noiseLevel = level;
        for (const auto& problem : Opt::Reference::saoReferenceProblems()) {
            solve(problem, 5, "SAO");
            solve(problem, -1, "SAO+SQP");
            solve(problem, 1, "SQP");
        }
    }
    return 0;
}
