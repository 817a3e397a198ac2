#include "gradient/SQPStateBlock.h"

#include <cmath>

namespace Opt {

namespace {

constexpr std::size_t kHeaderSize = 4;

std::size_t count(int value)
{
    return static_cast<std::size_t>(value < 0 ? 0 : value);
}

// Every field of the layout, in block order, handed to a visitor: fixed lists
// of a known length, optional lists (empty or full), short lists (up to a
// length), scalars, integers, flags and the message texts. The writer, the
// reader and the sizer walk this one list, so they cannot disagree.
template <typename State, typename Visitor>
void visitFields(State& s, int n, int m, Visitor& visit)
{
    const std::size_t nn = count(n), mm = count(m), c = count(m - 1);
    visit.fixed(s.currentDesign, nn);
    visit.fixed(s.trialDesign, nn);
    visit.fixed(s.previousDesign, nn);
    visit.fixed(s.step, nn);
    visit.optional(s.lastGoodDesign, nn);
    visit.optional(s.latestHostDesign, nn);
    visit.optional(s.returnedDesign, nn);
    visit.fixed(s.latestResponses, mm);
    visit.fixed(s.currentResponses, mm);
    visit.fixed(s.previousResponses, mm);
    visit.fixed(s.scales, mm);
    visit.optional(s.latestHostResponses, mm);
    visit.optional(s.returnedResponses, mm);
    visit.fixed(s.gradients, mm * nn);
    visit.fixed(s.previousGradients, mm * nn);
    visit.fixed(s.hessian, nn * nn);
    visit.fixed(s.previousHessian, nn * nn);
    visit.fixed(s.penalties, c);
    visit.fixed(s.previousPenalties, c);
    visit.fixed(s.multipliers, c);
    visit.fixed(s.multiplierEstimates, c);
    visit.indices(s.selectedConstraints, c);
    for (auto* value : {&s.differenceStepScale, &s.meritAtStart, &s.stepLength,
                        &s.lastStepLength, &s.moveLimit, &s.bestTrialStepLength,
                        &s.bestTrialMerit, &s.relativeChange, &s.stepNorm}) {
        visit.scalar(*value);
    }
    for (auto* value : {&s.phase, &s.subEvaluationIndex, &s.lineSearchTrials, &s.iterationCount,
                        &s.evaluationCount, &s.backOffs, &s.reportedLineSearchTrials}) {
        visit.integer(*value);
    }
    for (auto* value : {&s.gradientRequested, &s.evaluationPending, &s.feasible,
                        &s.skipLineSearch, &s.acceptedTrialEvaluated, &s.snapEvaluationPending,
                        &s.snapEvaluated, &s.returnLastGoodDesign}) {
        visit.flag(*value);
    }
    visit.texts(s.messages, SQPStateBlock::kMessageCapacity);
}

struct Sizer {
    std::size_t total = 0;
    template <typename T> void fixed(const std::vector<T>&, std::size_t length) { total += length; }
    template <typename T> void optional(const std::vector<T>&, std::size_t length)
    {
        total += 1 + length;
    }
    void indices(const std::vector<int>&, std::size_t length) { total += 1 + length; }
    void scalar(double) { ++total; }
    void integer(int) { ++total; }
    void flag(bool) { ++total; }
    void texts(const std::vector<std::string>&, std::size_t capacity) { total += 1 + capacity; }
};

struct Writer {
    double* at;

    void put(double value) { *at++ = value; }
    template <typename T> void putAll(const std::vector<T>& values, std::size_t room)
    {
        for (std::size_t i = 0; i < room; ++i) {
            put(i < values.size() ? static_cast<double>(values[i]) : 0.0);
        }
    }
    void fixed(const std::vector<double>& values, std::size_t length)
    {
        if (values.size() != length) {
            throw std::string("the SQP state holds " + std::to_string(values.size()) +
                              " values where the block has room for " + std::to_string(length));
        }
        putAll(values, length);
    }
    void optional(const std::vector<double>& values, std::size_t length)
    {
        const bool present = values.size() == length && length > 0;
        put(present ? static_cast<double>(length) : 0.0);
        putAll(present ? values : std::vector<double>(), length);
    }
    void indices(const std::vector<int>& values, std::size_t length)
    {
        const std::size_t used = std::min(values.size(), length);
        put(static_cast<double>(used));
        putAll(values, length);
    }
    void scalar(double value) { put(value); }
    void integer(int value) { put(value); }
    void flag(bool value) { put(value ? 1.0 : 0.0); }
    void texts(const std::vector<std::string>& messages, std::size_t capacity)
    {
        std::vector<double> codes;
        for (const std::string& message : messages) {
            for (unsigned char character : message) {
                codes.push_back(character);
            }
            codes.push_back(0.0);
        }
        if (codes.size() > capacity) {
            throw std::string("the SQP engine's messages exceed the block's room");
        }
        put(static_cast<double>(codes.size()));
        putAll(codes, capacity);
    }
};

struct Reader {
    const double* at;

    double take() { return *at++; }
    std::size_t takeCount(std::size_t room)
    {
        const double value = take();
        return value >= 0.0 && value <= static_cast<double>(room) ? static_cast<std::size_t>(value)
                                                                  : 0;
    }
    template <typename T> void takeAll(std::vector<T>& values, std::size_t used, std::size_t room)
    {
        values.clear();
        for (std::size_t i = 0; i < room; ++i) {
            const double value = take();
            if (i < used) {
                values.push_back(static_cast<T>(value));
            }
        }
    }
    void fixed(std::vector<double>& values, std::size_t length) { takeAll(values, length, length); }
    void optional(std::vector<double>& values, std::size_t length)
    {
        takeAll(values, takeCount(length) == length ? length : 0, length);
    }
    void indices(std::vector<int>& values, std::size_t length)
    {
        takeAll(values, takeCount(length), length);
    }
    void scalar(double& value) { value = take(); }
    void integer(int& value) { value = static_cast<int>(take()); }
    void flag(bool& value) { value = take() != 0.0; }
    void texts(std::vector<std::string>& messages, std::size_t capacity)
    {
        std::vector<double> codes;
        takeAll(codes, takeCount(capacity), capacity);
        messages.assign(1, std::string());
        for (double code : codes) {
            if (code == 0.0) {
                messages.emplace_back();
            } else {
                messages.back().push_back(static_cast<char>(code));
            }
        }
        messages.pop_back(); // the empty text after the last end mark
    }
};

} // namespace

std::size_t SQPStateBlock::size(int n, int m)
{
    Sizer sizer;
    SQPState unused;
    visitFields(unused, n, m, sizer);
    return kHeaderSize + sizer.total;
}

std::string SQPStateBlock::stage(const double* block, int n, int m, Stage& stage)
{
    stage = kStageNew;
    if (block[0] == 0.0) {
        return std::string();
    }
    if (block[0] != kTag) {
        return "the state block does not start with the tag " + std::to_string(int(kTag)) +
               " of an SQP state (found " + std::to_string(block[0]) +
               "); pass a block of zeros to start a run";
    }
    if (block[1] != n || block[2] != m) {
        return "the state block was written for n = " + std::to_string(int(block[1])) +
               ", m = " + std::to_string(int(block[2])) + ", not for n = " + std::to_string(n) +
               ", m = " + std::to_string(m);
    }
    if (!(block[3] >= kStageNew && block[3] <= kStageEnded) || block[3] != std::floor(block[3])) {
        return "the state block's stage " + std::to_string(block[3]) + " is not 0 to 3";
    }
    stage = static_cast<Stage>(static_cast<int>(block[3]));
    return std::string();
}

void SQPStateBlock::setStage(double* block, int n, int m, Stage stage)
{
    block[0] = kTag;
    block[1] = n;
    block[2] = m;
    block[3] = stage;
}

void SQPStateBlock::write(const SQPState& state, int n, int m, double* block)
{
    Writer writer{block + kHeaderSize};
    visitFields(state, n, m, writer);
    setStage(block, n, m, kStageSaved);
}

SQPState SQPStateBlock::read(const double* block, int n, int m)
{
    SQPState state;
    Reader reader{block + kHeaderSize};
    visitFields(state, n, m, reader);
    return state;
}

} // namespace Opt
