// The problem model in data-set mode: response rows from the data set, the
// objective forms and goals, constraints by id, and publishing into the data set.
#include "engine/OptEngine.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "support/ScriptedEngine.h"

namespace Opt {
namespace {

using Testing::ScriptedEngine;

std::shared_ptr<ResponseDefinition> objective(double value, int goal = 1, double weight = 1.0)
{
    auto definition = std::make_shared<ResponseDefinition>();
    definition->value = value;
    definition->goal = goal;
    definition->weight = weight;
    return definition;
}

std::shared_ptr<ResponseDefinition> constraint(std::optional<double> lower,
                                               std::optional<double> upper, double value)
{
    auto definition = std::make_shared<ResponseDefinition>();
    definition->kind = 1;
    definition->lower = lower;
    definition->upper = upper;
    definition->value = value;
    return definition;
}

class DataSetMode : public ::testing::Test {
protected:
    DataSetMode() : dataSet(std::make_shared<DataSet>())
    {
        dataSet->bounds = {{0.0, 2.0}, {10.0, 20.0}};
        dataSet->designValues = {1.0, 15.0};
    }

    // Builds the engine once the data set is filled, as a builder does.
    ScriptedEngine& build(int goal = 1, int objectiveForm = 1)
    {
        engine = std::make_unique<ScriptedEngine>(dataSet);
        engine->parameter->goal = goal;
        engine->parameter->objectiveForm = objectiveForm;
        engine->buildResponseRows();
        return *engine;
    }

    double objectiveValue(int goal, int objectiveForm)
    {
        ScriptedEngine& e = build(goal, objectiveForm);
        e.evaluateResponses();
        return e.responseRows[0].value;
    }

    std::shared_ptr<DataSet> dataSet;
    std::unique_ptr<ScriptedEngine> engine;
};

// Rows in ascending id order: a two-sided constraint gives an upper and a lower
// row, a constraint without limits an upper row on 0. A row's value is the
// response signed, so that row value <= limit holds exactly inside the interval.
TEST_F(DataSetMode, TwoSidedConstraintGivesAnUpperAndALowerRow)
{
    dataSet->responses[4] = objective(0.0);
    auto twoSided = constraint(-1.0, 3.0, 0.0);
    dataSet->responses[7] = twoSided;
    dataSet->responses[9] = constraint(std::nullopt, 5.0, 0.0);
    dataSet->responses[12] = constraint(2.0, std::nullopt, 0.0);
    dataSet->responses[15] = constraint(std::nullopt, std::nullopt, 0.0);
    ScriptedEngine& e = build();
    ASSERT_EQ(e.nResponses, 6);
    EXPECT_EQ(e.constrained, 1);
    const std::vector<std::pair<int, double>> expected = {
        {1, 3.0}, {-1, 1.0}, {1, 5.0}, {-1, -2.0}, {1, 0.0}};
    const std::vector<int> ids = {7, 7, 9, 12, 15};
    for (std::size_t j = 1; j < e.responseRows.size(); ++j) {
        EXPECT_EQ(e.responseRows[j].sign, expected[j - 1].first) << "row " << j;
        EXPECT_DOUBLE_EQ(e.responseRows[j].limit, expected[j - 1].second) << "row " << j;
        EXPECT_EQ(e.responseRows[j].responseId, ids[j - 1]) << "row " << j;
    }
    EXPECT_EQ(e.responseRows[0].ids, (std::vector<int>{4}));
    for (double v : {-1.5, -1.0, 0.0, 3.0, 3.5}) {
        twoSided->value = v;
        e.evaluateConstraints();
        const bool satisfied = e.responseRows[1].value <= e.responseRows[1].limit &&
                               e.responseRows[2].value <= e.responseRows[2].limit;
        EXPECT_EQ(satisfied, v >= -1.0 && v <= 3.0) << "value " << v;
    }
}

TEST_F(DataSetMode, ObjectiveFormsAndGoals)
{
    // Two objective responses: 3 with weight 2 and -4 with weight 0.5.
    dataSet->responses[1] = objective(3.0, 1, 2.0);
    dataSet->responses[2] = objective(-4.0, 1, 0.5);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 1), 2.0 * 3.0 + 0.5 * -4.0);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 2), std::sqrt(36.0 + 4.0));
    EXPECT_DOUBLE_EQ(objectiveValue(1, 3), 6.0 + 2.0);
    // Maximising flips the row's sign: the row is minimised.
    EXPECT_DOUBLE_EQ(objectiveValue(2, 1), -(2.0 * 3.0 + 0.5 * -4.0));
    EXPECT_EQ(engine->responseRows[0].sign, -1);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 4), 0.0) << "a form outside 1..3 gives 0";
}

TEST_F(DataSetMode, MaximisedResponseSubtractsAndTargetsUseTheDistance)
{
    dataSet->responses[1] = objective(3.0, 2, 1.0);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 1), -3.0);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 3), -3.0);
    EXPECT_TRUE(std::isnan(objectiveValue(1, 2))) << "the norm of a negative sum is not a number";
    auto target = objective(3.0, 3, 2.0);
    target->target = 5.0;
    target->scale = 100.0; // targets are compared unscaled
    dataSet->responses[1] = target;
    EXPECT_DOUBLE_EQ(objectiveValue(1, 1), 4.0);
    EXPECT_DOUBLE_EQ(objectiveValue(1, 2), 4.0);
    dataSet->responses[1]->goal = 4;
    EXPECT_DOUBLE_EQ(objectiveValue(1, 1), 0.0) << "a goal outside 1..3 contributes nothing";
}

TEST_F(DataSetMode, ScaleDividesAndAbsentValuesCountAsZero)
{
    auto scaled = objective(30.0);
    scaled->scale = -10.0;
    dataSet->responses[1] = scaled;
    auto tiny = objective(5.0);
    tiny->scale = 1e-17; // below the numeric zero: unscaled
    dataSet->responses[2] = tiny;
    auto absent = std::make_shared<ResponseDefinition>();
    dataSet->responses[3] = absent;
    dataSet->responses[4] = constraint(std::nullopt, 1.0, 0.0);
    dataSet->responses[4]->value.reset();
    EXPECT_DOUBLE_EQ(objectiveValue(1, 1), 3.0 + 5.0);
    engine->evaluateConstraints();
    EXPECT_DOUBLE_EQ(engine->responseRows[1].value, 0.0);
}

TEST_F(DataSetMode, ReceivingReadsResponsesByIdAndPublishingWritesTheDataSet)
{
    dataSet->responses[1] = objective(0.0);
    auto c = constraint(std::nullopt, 1.0, 0.0);
    dataSet->responses[2] = c;
    ScriptedEngine& e = build();
    e.normaliseDesign(nullptr);
    EXPECT_DOUBLE_EQ(e.designVariables[1].value, 0.5);
    e.beginScript = {StepCode::Evaluate};
    EXPECT_EQ(e.step(nullptr, nullptr, nullptr), static_cast<int>(StepCode::Evaluate));
    EXPECT_EQ(dataSet->designValues, (std::vector<double>{1.0, 15.0}));

    // The driver evaluates its model at the data set's design and steps again.
    dataSet->responses[1]->value = 7.0;
    c->value = 2.5;
    dataSet->designValues = {0.5, 12.0};
    e.step(nullptr, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(e.responseRows[0].value, 7.0);
    EXPECT_DOUBLE_EQ(e.responseRows[1].value, 2.5);
    EXPECT_DOUBLE_EQ(e.designVariables[0].value, 0.25);
    EXPECT_DOUBLE_EQ(e.designVariables[1].value, 0.2);
}

TEST_F(DataSetMode, EvaluationOnlyDataSetIsLeftUntouched)
{
    dataSet->engineType = DataSet::kEvaluationOnlyEngineType;
    dataSet->responses[1] = objective(0.0);
    ScriptedEngine& e = build();
    e.designVariables[0].value = 0.0;
    e.publishDesign(nullptr);
    EXPECT_EQ(dataSet->designValues, (std::vector<double>{1.0, 15.0}));
    EXPECT_FALSE(e.evaluationPending);
}

} // namespace
} // namespace Opt
