// The framework every surrogate shares: the current design, response loading
// with failed-value replacement, surrogate coordinates and the coefficient of
// determination. A polynomial model serves as the concrete model.
#include "rsm/RSMBase.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "rsm/InputNormalisation.h"
#include "rsm/PolynomialRegression.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

class RSMBaseTest : public Testing::SurrogateTest {};

const Points kFourPoints{{0.0}, {0.25}, {0.5}, {1.0}};

// Failed values (1e100) become the largest other value of their response, all
// failed become -1e100; an unknown id takes column 0; the scale divides after
// the markers are recognised.
TEST_F(RSMBaseTest, LoadingReplacesFailedValuesAndRefusesResponsesThatDoNotMatch)
{
    struct Case {
        Points responses;
        int id;
        double scale;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{{2.0, 1e100}, {1e100, 1e100}, {-3.0, 1e100}, {5.0, 1e100}}, 0, 1.0, {2.0, 5.0, -3.0, 5.0}},
        {{{2.0, 1e100}, {1e100, 1e100}, {-3.0, 1e100}, {5.0, 1e100}}, 1, 1.0, {-1e100, -1e100, -1e100, -1e100}},
        {{{1.0}, {2.0}, {3.0}, {4.0}}, 7, 1.0, {1.0, 2.0, 3.0, 4.0}},
        {{{2.0}, {4.0}, {1e100}, {8.0}}, 0, 2.0, {1.0, 2.0, 4.0, 4.0}},
    };
    for (const Case& c : cases) {
        const auto design = installDesign(kFourPoints, c.responses);
        PolynomialRegression model(1, 0, 1, 0);
        model.data->scale = c.scale;
        model.loadResponse(c.id);
        EXPECT_EQ(model.responseId, c.id);
        EXPECT_EQ(model.record().values, c.expected) << "response " << c.id;
        EXPECT_EQ(design->pointSet->responseColumns.at(c.id), c.id == 7 ? 0 : c.id);
    }
    const auto design = installDesign(kFourPoints, {{1.0}, {2.0}, {3.0}, {4.0}});
    PolynomialRegression model(1, 0, 1, 0);
    design->pointSet->responseColumns[3] = 5;
    EXPECT_THROW(model.loadResponse(3), std::out_of_range);
    design->pointSet->responses.pop_back();
    EXPECT_THROW(model.loadResponse(0), std::out_of_range);
    installDesign({{0.0}, {1.0}}, {{1.0}, {2.0}});
    EXPECT_THROW(model.loadResponse(0), std::logic_error) << "another design, other point count";
    EXPECT_THROW(model.setResponseValues({1.0, 2.0}), std::invalid_argument);
    model.setResponseValues(model.record().values);
    model.setResponseValues({4.0, 3.0, 2.0, 1.0});
    EXPECT_EQ(model.record().values, (std::vector<double>{4.0, 3.0, 2.0, 1.0}));
}

TEST_F(RSMBaseTest, ModelsKeepTheirOwnSample)
{
    installDesign(kFourPoints, {{0.0}, {1.0}, {2.0}, {3.0}});
    PolynomialRegression model(1, 0, 1, 0);
    model.loadResponse(0);
    model.build(false);
    const double before = model.predict({0.75});
    installDesign({{5.0}, {6.0}});
    EXPECT_EQ(model.predict({0.75}), before);
    EXPECT_EQ(model.samplePoints(), kFourPoints);
}

TEST(CoefficientOfDetermination, ResidualAgainstSpread)
{
    EXPECT_DOUBLE_EQ(RSMBase::coefficientOfDetermination({1, 2, 3}, {1, 2, 3}), 1.0);
    // SST = 2, SSE = 0.5.
    EXPECT_DOUBLE_EQ(RSMBase::coefficientOfDetermination({1, 2, 3}, {1.5, 2, 2.5}), 0.75);
    EXPECT_DOUBLE_EQ(RSMBase::coefficientOfDetermination({2, 2, 2}, {0, 9, 1}), 1.0)
        << "constant values";
    EXPECT_DOUBLE_EQ(RSMBase::coefficientOfDetermination({1, 3}, {3, 1}), -3.0);
    EXPECT_EQ(RSMBase::clampToUnitInterval(-3.0), 0.0);
    EXPECT_EQ(RSMBase::clampToUnitInterval(1.5), 1.0);
    EXPECT_EQ(RSMBase::clampToUnitInterval(0.25), 0.25);
}

TEST(InputNormalisation, BoundsMapToMinusOneAndOneAndDesignPointsOnlyWhenFlagged)
{
    const std::vector<DesignVariable> variables{DesignVariable({-5.0, 10.0}, 0.0),
                                                DesignVariable({2.0, 2.0}, 2.0)};
    EXPECT_EQ(toSurrogateCoordinates({-5.0, 2.0}, variables), (std::vector<double>{-1.0, 0.0}));
    EXPECT_EQ(toSurrogateCoordinates({10.0, 2.0}, variables), (std::vector<double>{1.0, 0.0}));
    EXPECT_EQ(toSurrogateCoordinates({2.5, 2.0}, variables), (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(toDesignCoordinates({0.0, 0.7}, variables), (std::vector<double>{2.5, 2.0}));
    EXPECT_THROW(toSurrogateCoordinates({1.0}, variables), std::invalid_argument);
    GivenPointsDesign design({{0.0, 4.0}, {2.0, 8.0}});
    design.variables = {DesignVariable({0.0, 2.0}, 0.0), DesignVariable({4.0, 8.0}, 4.0)};
    design.pointSet->normalised = false;
    normaliseDesignPoints(design);
    EXPECT_EQ(design.pointSet->points, (Points{{0.0, 4.0}, {2.0, 8.0}}));
    design.pointSet->normalised = true;
    normaliseDesignPoints(design);
    EXPECT_EQ(design.pointSet->points, (Points{{-1.0, -1.0}, {1.0, 1.0}}));
}

TEST(GivenPointsDesign, RefusesRaggedOrEmptySamples)
{
    EXPECT_THROW(GivenPointsDesign(Points{}), std::invalid_argument);
    EXPECT_THROW(GivenPointsDesign(Points{{1.0, 2.0}, {3.0}}), std::invalid_argument);
    EXPECT_THROW(GivenPointsDesign(Points(10001, {0.0})), std::string);
}

} // namespace
} // namespace Opt::RSM
