#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/RandomSource.h"
#include "engine/OptEngine.h"
#include "ga/GAGenomes.h"
#include "ga/GAParameter.h"
#include "ga/GARepository.h"

namespace Opt {

// The generational genetic algorithm (Goldberg 1989): binary tournaments without
// the worst individual, single-point crossover of binary strings or bounded
// simulated binary crossover of real strings (Deb & Agrawal 1995), bit-flip or
// polynomial mutation, and one elite individual carried into every generation.
//
// Constraints: with a penalty P >= 0 the fitness is objective + P * violation;
// with P < 0 it is feasibility-first (Deb, "An efficient constraint handling
// method for genetic algorithms", 2000): a feasible individual's fitness is its
// objective, an infeasible one's its violation plus the largest feasible fitness
// of the generation, so every feasible individual beats every infeasible one. In
// host-array mode the violation of a constraint is its value above 0, and the
// host's objective is minimised as given.
//
// The step protocol: phase 1 hands out the generation's designs one per step
// (those found in the repository of evaluated designs are not sent to the host),
// phase 4 breeds the next generation, phase 5 tests the stop rules (stall with a
// feasible best, generations, evaluations), commits the new generation and
// reseeds the generators with seed + generation. Every operator draws from a
// private copy of the engine's or the population's generator, so a run is fully
// determined by the seed and the problem.
//
// Decisions where behaviour was open:
// - Coding 2 (binary and real strings side by side) is rejected when the engine
//   is built: its binary strings would never decide a design, and no string length
//   is defined for them. The builder prints one line and builds no engine.
// - The niche-restricted tournament needs real strings; with binary coding the
//   plain tournament is used. Its candidate count is at most N - 2.
// - The first generation cannot count as a stall (the previous best starts at
//   +infinity).
// - In data-set mode a constraint row without a limit counts by its value, divided
//   by its scale when one is set.
// - The host's responses of every individual are kept, so that a finished run hands
//   back in f the responses of the design it returns in x (the fitness records hold
//   penalised or normalised values).
// - Only population designs go into the repository; evaluations made for other
//   purposes (the hybrid's local searches) do not.
//
// Look-ahead (ours; engine/OptEngine.h): when it hands out an individual, the
// engine announces the generation's individuals still to come that the host will
// evaluate. With the repository on, those found in it are left out, and so are
// repeats of an individual announced (or out) earlier in the generation, which the
// repository will hold by the time they come; should that earlier one fail, the
// repeat is evaluated after all, as a design inserted ahead of the announced ones.
//
// Deviations (ours: a failed evaluation is a failed design, never the answer):
// - A failed response (NaN, +-infinity, or |value| >= 1e100; engine/PenalisedResponse.h,
//   the rule DIRECT shares) gives fitness and violation +infinity under both
//   treatments: it ranks last, wins a tournament only against another failed
//   design, and never counts as feasible.
// - When every individual of the last generation failed, the run hands back the
//   best of the latest generation that had an evaluated one, not a failed design.
// - A failed design does not enter the repository: should it recur, it is evaluated again.
// - In data-set mode a constraint's violation is (v - L)/|L| - 1e-5 (v the
//   row's signed value, L its signed limit), not v/|L| - 1.00001, so that a lower
//   bound (a negative limit) is judged correctly under both constraint treatments.
class GeneticAlgorithm : public OptEngine {
public:
    static constexpr int kMethodCode = 1;
    static constexpr bool kForcesRealCoding = true;
    static constexpr const char* kName = "GeneticAlgorithm";
    // Data-set mode: how far past its limit a constraint may go, as a share of |limit|.
    static constexpr double kDataSetAllowance = 1e-5;

    enum class StopReason { None, Stall, Generations, Evaluations };

    // One fitness record: the fitness (lower is better) and the total violation.
    struct Fitness {
        double value = 0.0;
        double violation = 0.0;
    };

    // Host-array mode: reals and ints hold the 20 entries of GAParameter.
    GeneticAlgorithm(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                     int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
                     int reportLevel);
    // Data-set mode: the response table comes from the data set.
    GeneticAlgorithm(std::shared_ptr<DataSet> dataSet, const std::vector<double>& reals,
                     const std::vector<int>& ints);
    ~GeneticAlgorithm() override;

    // Whether an engine with these settings can be built; when not, one line on
    // standard error names the engine and says why. forcesRealCoding: the engine
    // switches to real coding when a variable is discrete.
    static bool acceptsSettings(const char* engineName, const GAParameter& settings,
                                const std::vector<std::vector<double>>& bounds,
                                bool forcesRealCoding);

    StepCode receiveResponses(const double* f, double** g) override;
    // Computes the fitness of the individual just evaluated; the design itself is
    // not renormalised (the next design is decoded from its string).
    void normaliseDesign(const double* x) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    StepCode endIteration(double* x) override;
    StepCode computeStep(double* x, double* f, double** g) override;
    StepCode updateStep() override;
    void setParameterOption(int option) override;
    int parameterOption() const override;
    LookAheadRole lookAheadRole() const override;

    // The family's steps, in the order the engines call them.
    virtual void setStringLengths();
    virtual StepCode concludeRun();
    // Sets returnedDesign to this normalised design in caller units (host-array
    // mode), exactly as publishing it converts it.
    void handBackDesign(const std::vector<double>& normalised);
    virtual void createGenomes(int coding);
    virtual void initialisePopulation();
    virtual void initialiseStrings();
    virtual void allocateFitness(int count);
    virtual void resetFitness();
    virtual void allocateResponseStore(int count);
    virtual void resetResponseStore();
    virtual void beforeEvaluate(int individual);
    // Tournament selection of N - 1 parents into the next population.
    virtual void select();

    const GAParameter& settings() const { return static_cast<const GAParameter&>(*parameter); }
    const GAGenomes& population() const { return *genomes; }
    const GARepository& evaluatedDesigns() const { return *repository; }
    const std::vector<Fitness>& fitnessRecords() const { return fitness; }
    int best() const { return bestIndex; }
    int worst() const { return worstIndex; }
    double bestValue() const { return bestFitness; }
    int stalledGenerations() const { return stallCount; }
    int designsPerGenerationCount() const { return designsPerGeneration; }
    StopReason stopReason() const { return reason; }
    bool stoppedOnBudget() const override
    {
        return reason == StopReason::Generations || reason == StopReason::Evaluations;
    }
    const RandomSource& randomSource() const { return generator; }

protected:
    // For the variants: the parameter record decides how the arrays are read.
    GeneticAlgorithm(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                     int nResponses, std::shared_ptr<GAParameter> record,
                     const std::vector<double>& reals, const std::vector<int>& ints,
                     bool forcesRealCoding, int reportLevel, int methodCode);
    GeneticAlgorithm(std::shared_ptr<DataSet> dataSet, std::shared_ptr<GAParameter> record,
                     const std::vector<double>& reals, const std::vector<int>& ints,
                     bool forcesRealCoding);

    void announceDesigns(int limit, std::vector<double>& designs) const override;
    // Whether the individual repeats an earlier one of its generation (by the
    // repository's rule), so that it is handed out only because that one failed.
    bool repeatsEarlierIndividual(int individual) const;

    bool recordsHistory() const { return report.keepHistory; }
    int coding() const { return settings().coding; }
    int populationSize() const { return settings().populationSize; }
    // seed + offset, or the clock seed + offset when the seed is negative.
    std::uint32_t seedWith(int offset) const;
    // Step 3 of the generation step: feasibility-first transform, best and worst.
    void rank();
    static bool isFailedFitness(const Fitness& record);
    // Remembers the best individual's design and responses, for a last generation
    // that has no evaluated design.
    void keepLastEvaluatedBest();
    void crossover();
    void mutate();
    void appendElite();
    // The fitness of individual i from the response rows.
    void computeFitness(int individual);
    // The violation of a constraint row with the given value, as the fitness sees it
    // (positive when violated).
    double constraintViolation(double value, const ResponseRow& row) const;
    // Writes the decoded individual into the design variables' values (normalised).
    void decodeIntoDesign(int individual);
    // Writes normalised values into the design variables.
    void writeDesign(const std::vector<double>& normalised);
    int tournament(int a, int b, int pair);
    int nicheTournament(int a, int pair);
    // Replaces candidates by the indices 0..N-1 without the worst individual,
    // ascending (into a kept buffer: selection needs them once per tournament).
    void fillParentCandidates(std::vector<int>& candidates) const;

    RandomSource generator;
    std::shared_ptr<GAGenomes> genomes;
    bool genomesBuilt = false;
    std::vector<Fitness> fitness;
    std::vector<std::vector<double>> responseStore;
    double previousBest = 0.0;
    double bestFitness = 0.0;
    double worstFitness = 0.0;
    double worstEvaluatedFitness = 0.0; // the largest fitness that is not a failed design's
    int bestIndex = 0;
    int worstIndex = 0;
    int stallCount = 0;
    std::shared_ptr<GARepository> repository;
    int designsPerGeneration = 0;
    int evaluatingIndividual = -1; // the population member whose responses are awaited
    StopReason reason = StopReason::None;
    struct EvaluatedDesign {
        std::vector<double> design;    // normalised
        std::vector<double> responses; // the host's, empty until one was kept
    };
    EvaluatedDesign lastEvaluatedBest;

private:
    // Working memory reused from design to design and generation to generation,
    // so that handing out designs and breeding allocate nothing; no part of the
    // run's state.
    std::vector<double> decodedDesign;
    std::vector<int> pairingOrder;
    std::vector<int> pairingList;
    std::vector<int> nichePool;

    void construct(std::shared_ptr<GAParameter> record, const std::vector<double>& reals,
                   const std::vector<int>& ints, bool forcesRealCoding);
    void recordGeneration();
};

} // namespace Opt
