#pragma once

#include "ga/GeneticAlgorithm.h"
#include "ga/MicroGAParameter.h"

namespace Opt {

// The micro-GA of Krishnakumar ("Micro-genetic algorithms for stationary and
// non-stationary function optimization", SPIE Intelligent Control and Adaptive
// Systems, 1989): a population of at most 21 bred without mutation, restarted
// from new random individuals around the elite whenever it has converged.
//
// After the first generation only the N - 1 bred individuals go to the host; the
// elite in the last position keeps the fitness record of the best individual it
// copies. The population has converged when the spread of its fitness has fallen
// below 5% of the spread right after the last start or restart, or when at least
// N of its pairs are identical (all bits equal, or all genes within 1e-9).
// Discrete variables keep the chosen coding: with binary coding they get one bit
// per allowed value and decode like continuous ones.
//
// Decisions where behaviour was open: a restart draws its N - 1 individuals as
// the initial population does, one generator copy advancing across them (a fresh
// copy per individual would make them all alike); with a zero spread after the
// restart the spread test never holds and only identical pairs end a phase.
//
// Deviation (ours): the spread is measured over the evaluated individuals; a
// failed one (fitness +infinity) would make it infinite and the spread test
// could never hold while failures occur.
class MicroGA : public GeneticAlgorithm {
public:
    static constexpr int kMethodCode = 4;
    static constexpr bool kForcesRealCoding = false;
    static constexpr const char* kName = "MicroGA";
    static constexpr double kConvergedSpread = 0.05;

    MicroGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
            int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
            int reportLevel);
    MicroGA(std::shared_ptr<DataSet> dataSet, const std::vector<double>& reals,
            const std::vector<int>& ints);

    // The micro-GA generation step: rank, then restart or breed without mutation.
    StepCode updateStep() override;
    // As the GA's, but the elite in the last position keeps its record.
    void resetFitness() override;
    // N - 1 new individuals and the elite become the next population.
    virtual void restart();

    double spreadOfGeneration() const { return spread; }
    double spreadAfterRestart() const { return spreadAtRestart; }
    bool restartedLast() const { return justRestarted; }
    int restarts() const { return restartCount; }
    // Pairs i < j of the current population that are the same design (counted up
    // to limit).
    int identicalPairs(int limit) const;

protected:
    MicroGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
            int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
            int reportLevel, int methodCode);

    bool hasConverged() const;
    void breed();
    void copyBestRecordToElite();

    double spread = 0.0;
    double spreadAtRestart = 0.0;
    bool justRestarted = true;
    int restartCount = 0;
};

} // namespace Opt
