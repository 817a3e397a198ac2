// The fatal paths of the surrogate layer: by default the exact line on standard
// error and exit status 0; with a replaced handler, the handler's say.
#include "rsm/FatalError.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "api/zelkor.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {
namespace {

using Testing::installDesign;

const char* const kTooFewPointsLine = "^ERROR : TOO SMALL DOE DATA FOR SURROGATES MODEL\\.\n$";
// The cause of a failed fit follows the line.
const char* const kBuildFailedLine =
    "^ERROR : BUILDING SURROGATE MODEL IS FAILED\\. \\(dgesvd failed\\)\n$";

// A model whose fit raises, the way any model's fit can fail.
class FailingModel : public RSMBase {
public:
    FailingModel() : RSMBase(std::make_shared<RSMData>(), 0) {}
    double predict(const std::vector<double>&) const override { return 0.0; }
    double predictNormalised(const std::vector<double>&, bool*) const override { return 0.0; }
    bool build(bool) override
    {
        return buildOnce(built, [] { throw std::runtime_error("dgesvd failed"); });
    }
    void storeQuality(std::shared_ptr<DataSet>) const override {}
    void storeModel(std::shared_ptr<DataSet>) const override {}
    bool built = false;
};

std::string lastMessage;

void recordMessage(const char* message)
{
    lastMessage = message;
}

void throwOwnError(const char* message)
{
    throw std::invalid_argument(std::string("binding: ") + message);
}

class FatalErrorDeathTest : public Testing::SurrogateTest {
protected:
    void SetUp() override
    {
        Testing::SurrogateTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_F(FatalErrorDeathTest, TheDefaultHandlerEndsTheProcessWithTheLine)
{
    installDesign({{0.5, 0.5}}, {{1.0}});
    EXPECT_EXIT(PolynomialRegression(1, 0, 2, 0), ::testing::ExitedWithCode(0), kTooFewPointsLine);
    EXPECT_EXIT(RadialBasisFunction(0, 0, 2, 1), ::testing::ExitedWithCode(0), kTooFewPointsLine);
    EXPECT_EXIT(SupportVectorRegression(0, 2, 1), ::testing::ExitedWithCode(0), kTooFewPointsLine);
    setCurrentDesign(nullptr);
    EXPECT_EXIT(RadialBasisFunction(0, 0, 2, 0), ::testing::ExitedWithCode(0), kTooFewPointsLine)
        << "no design at all";
    installDesign({{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}}, {{1.0}, {2.0}, {3.0}});
    EXPECT_EXIT(PolynomialRegression(1, 0, 2, 1, 0), ::testing::ExitedWithCode(0), kTooFewPointsLine)
        << "the excluded-variable form counts the points it asks for";
    FailingModel model;
    EXPECT_EXIT(model.build(true), ::testing::ExitedWithCode(0), kBuildFailedLine) << "a fit that throws";
}

TEST_F(FatalErrorDeathTest, AReplacedHandlerDecidesInstead)
{
    EXPECT_EQ(zelkorSetFatalHandler(recordMessage), nullptr);
    FailingModel model;
    lastMessage.clear();
    EXPECT_THROW(model.build(false), SurrogateFailure) << "a handler that returns";
    EXPECT_EQ(lastMessage, "ERROR : BUILDING SURROGATE MODEL IS FAILED. (dgesvd failed)");
    EXPECT_THROW(model.build(false), SurrogateFailure) << "a failed fit never counts as built";

    installDesign({{0.5}}, {{1.0}});
    lastMessage.clear();
    EXPECT_THROW(RadialBasisFunction(0, 1, 1, 1), SurrogateFailure);
    EXPECT_EQ(lastMessage, "ERROR : TOO SMALL DOE DATA FOR SURROGATES MODEL.");

    EXPECT_EQ(zelkorSetFatalHandler(throwOwnError), &recordMessage);
    try {
        PolynomialRegression(0, 0, 1, 0);
        FAIL() << "construction went on";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "binding: ERROR : TOO SMALL DOE DATA FOR SURROGATES MODEL.");
    }

    EXPECT_EQ(zelkorSetFatalHandler(nullptr), &throwOwnError);
    EXPECT_EXIT(PolynomialRegression(0, 0, 1, 0), ::testing::ExitedWithCode(0), kTooFewPointsLine)
        << "null restores the default";
}

} // namespace
} // namespace Opt::RSM
