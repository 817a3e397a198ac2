#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt {

// Settings of the genetic algorithms. Host arrays: 20 ints and 20 doubles (a
// missing array counts as all unset). A negative entry takes the default.
//
//   int 2     populationSize     251   N, individuals per generation
//   int 3     maxGenerations    1000
//   int 4     coding               1   0 binary, 1 real, 2 both (the engines reject 2)
//   int 5     bitsPerVariable     15   bits of a continuous variable in binary coding
//   int 6     maxEvaluations   10000   host evaluations before stopping
//   int 7     reserved7            0   stored, not read
//   int 8     realCrossover        1   SBX for real strings; forced to 0 with binary coding
//   int 9     noMutation           0   non-zero switches mutation off
//   int 10    stallGenerations    50   generations without improvement before stopping
//   int 11    selectionMode        0   0 plain tournament, 1 with niche restriction
//   int 12    nicheCandidates      0   candidates of mode 1; 0 means floor(N / 4)
//   int 13    seed                 0   generator seed
//   int 14    useRepository        0   1 skips designs already evaluated
//   double 0  penalty          100.0   penalty factor; negative: feasibility-first ranking
//   double 1  crossoverRate      0.7
//   double 2  mutationRate       0.0   0 means automatic
//   double 3  nicheRadius        0.1
//
// Decisions where the arrays' rule left room:
// - penalty: only the unset mark -999.0 (and NaN) takes the default. Any other
//   negative value is kept, because a negative penalty is how a host selects
//   feasibility-first ranking; replacing it would make that ranking unreachable.
// - A population size or bit count of 0 takes the default (a population needs an
//   individual, a field a bit); a coding outside 0..2 takes 1; a selection mode
//   other than 1 means the plain tournament.
// - A negative seed never comes through the arrays; set from C++ it asks for a
//   clock seed.
class GAParameter : public OptEngineParameter {
public:
    static constexpr int kRealCount = 20;
    static constexpr int kIntCount = 20;

    void load(const double* reals, const int* ints) override;

    int populationSize = 251;
    int maxGenerations = 1000;
    int coding = 1;
    int bitsPerVariable = 15;
    int maxEvaluations = 10000;
    double penalty = 100.0;
    int reserved7 = 0;
    int realCrossover = 1;
    double crossoverRate = 0.7;
    int noMutation = 0;
    double mutationRate = 0.0;
    int stallGenerations = 50;
    int selectionMode = 0;
    int nicheCandidates = 0;
    double nicheRadius = 0.1;
    int seed = 0;
    int useRepository = 0;

protected:
    // The population size from its array entry (the micro-GA has its own rule).
    virtual int populationFrom(int entry) const;
};

} // namespace Opt
