// The binary model file: layout byte for byte, round trips of every model type,
// and the reader's refusal of truncated and corrupt files.
#include "rsm/DataOutBase.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/Kriging.h"
#include "rsm/NearestSampleList.h"
#include "rsm/OrdinaryKrigingGeo.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RELDataOut.h"
#include "rsm/RSMDataOut.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {
namespace {

using namespace Testing;
using Bytes = std::vector<unsigned char>;

class ModelFileTest : public Testing::SurrogateTest {
protected:
    void SetUp() override
    {
        Testing::SurrogateTest::SetUp();
        base = Testing::scratchBase("model_file");
    }
    void TearDown() override
    {
        std::remove((base + ".rsm").c_str());
        Testing::SurrogateTest::TearDown();
    }

    Bytes fileBytes() const
    {
        std::ifstream file(base + ".rsm", std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    void writeBytes(const Bytes& bytes) const
    {
        std::ofstream file(base + ".rsm", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // The error line of a read that must fail, or "" when the read succeeded.
    std::string failedRead(int responseId, int variableCount) const
    {
        RSMDataOut file(base, " ");
        ::testing::internal::CaptureStderr();
        bool thrown = false;
        try {
            const auto model = file.readModel(responseId, variableCount);
            model->predict(std::vector<double>(static_cast<std::size_t>(variableCount), 0.25));
        } catch (bool value) {
            thrown = true;
            EXPECT_FALSE(value);
        } catch (const std::exception&) {
            thrown = true; // a consistent but meaningless record: refused on use
        }
        const std::string line = ::testing::internal::GetCapturedStderr();
        return thrown ? line : std::string();
    }

    std::string base;
};

Points twoResponses(const Points& points)
{
    Points responses;
    for (const auto& x : points) {
        responses.push_back({std::cos(3.0 * x[0]) + x[1], x[0] * x[1] - 0.5 * x[1], 7.0});
    }
    return responses;
}

// Models of every type on one design: PR for response 1, RBF for 2, SVR for 0.
ModelMap fitAll(const Points& points)
{
    installDesign(points, twoResponses(points));
    return {{1, fit<PolynomialRegression>(1, false, 4, 1, 2, 0)},
            {2, fit<RadialBasisFunction>(0, false, 2, 2, 2, 0)},
            {0, fit<SupportVectorRegression>(1, false, 0, 2, 0)}};
}

// Response 1: PR kind 0 on values 1 and 3 (beta = 2). Response 2: linear RBF on
// constant values 5 (weights 0, mean 5). Points 0 and 1.
ModelMap fitTiny()
{
    installDesign({{0.0}, {1.0}}, {{1.0, 5.0}, {3.0, 5.0}});
    return {{1, fit<PolynomialRegression>(0, false, 0, 1, 1, 0)},
            {2, fit<RadialBasisFunction>(1, false, 2, 0, 1, 0)}};
}

void appendInt(Bytes& bytes, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * b)));
    }
}

// All six types in one file; the kriging variance and the settings a type keeps
// come back too.
TEST_F(ModelFileTest, EveryTypePredictsBitForBitAfterTheRoundTrip)
{
    const Points points = scattered(15, 2);
    ModelMap models = fitAll(points);
    const auto kriging = fit<Kriging>(0, false, 2, 2, Kriging::kCholeskySolve, 0, 2, 0);
    EnsembleMemberSettings settings;
    settings.variableCount = 2;
    models[3] = kriging;
    models[4] = fit<EnsembleOfSurrogates>(0, true, 0, settings, 3);
    models[5] = fit<OrdinaryKrigingGeo>(0, false, 0, 7, 2, 3.0, 0);
    NearestSampleList::resize(3);
    RSMDataOut file(base, " ");
    ASSERT_TRUE(file.writeModels(models, points, false));
    setCurrentDesign(nullptr);
    for (const auto& [id, original] : models) {
        const auto restored = file.readModel(id, 2);
        ASSERT_NE(restored, nullptr);
        EXPECT_EQ(restored->modelType(), original->modelType());
        EXPECT_EQ(restored->responseId, id);
        for (const auto& x : scattered(20, 2)) {
            NearestSampleList::fill(x, points);
            EXPECT_EQ(restored->predict(x), original->predict(x)) << "type " << original->modelType();
            if (id == 3) {
                EXPECT_EQ(std::dynamic_pointer_cast<Kriging>(restored)->predictionVariance(x),
                          kriging->predictionVariance(x));
            }
        }
    }
    ASSERT_NE(currentDesign(), nullptr) << "the trailer installs the sample";
    EXPECT_EQ(currentDesign()->pointSet->points, points);
    EXPECT_EQ(currentDesign()->pointCount, 15);
    EXPECT_FALSE(currentDesign()->pointSet->normalised) << "the flag travels in the trailer";
    EXPECT_EQ(std::dynamic_pointer_cast<PolynomialRegression>(file.readModel(1, 2))->kind, 4);
    EXPECT_EQ(std::dynamic_pointer_cast<EnsembleOfSurrogates>(file.readModel(4, 2))->neighbourCount, 3);
    const auto geo = std::dynamic_pointer_cast<OrdinaryKrigingGeo>(file.readModel(5, 2));
    EXPECT_EQ(geo->setting, 7);
    EXPECT_EQ(geo->slope, 3.0);
}

TEST_F(ModelFileTest, BytesOfATinyFileAndAPolynomialAloneWithoutTrailer)
{
    ASSERT_TRUE(RSMDataOut(base, " ").writeModels(fitTiny(), {{0.0}, {1.0}}, true));
    const Bytes expected{
        0x01, 0, 0, 0, 0x10, 0, 0, 0, 0x02, 0, 0, 0, 0x30, 0, 0, 0, // directory
        0x01, 0, 0, 0,                                              // type 1
        0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40,                   // [2.0]
        0x01, 0, 0, 0, 0x61, 0x79, 0xFE, 0xFF, 0x61, 0x79, 0xFE, 0xFF, 0x61, 0x79, 0xFE, 0xFF,
        0x03, 0, 0, 0,                                              // type 3
        0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // [0.0, 0.0]
        0, 0, 0, 0, 0, 0, 0x14, 0x40,                               // mean 5.0
        0x00, 0, 0, 0,                                              // basis 0
        0x01, 0, 0, 0,                                              // normalised
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,       // points 0.0, 1.0
    };
    EXPECT_EQ(fileBytes(), expected);
    RSMDataOut(base, " ").readModel(2, 1);
    EXPECT_TRUE(currentDesign()->pointSet->normalised);
    // A polynomial alone needs no sample: no trailer, and reading it leaves the
    // current design alone.
    const Points points = scattered(5, 2);
    installDesign(points, twoResponses(points));
    RSMDataOut file(base, " ");
    ASSERT_TRUE(file.writeModels({{4, fit<PolynomialRegression>(0, false, 1, 4, 2, 0)}}, points, true));
    EXPECT_EQ(fileBytes().size(), 8u + 4u + 28u + 40u);
    const auto design = currentDesign();
    file.readModel(4, 2);
    EXPECT_EQ(currentDesign(), design);
    EXPECT_EQ(design->pointSet->points, points) << "the current design is left alone";
}

// A cut anywhere is refused with one line, except that a record wholly before a
// cut inside the last record still reads (the directory and that record are
// intact).
TEST_F(ModelFileTest, EveryTruncationIsRefusedWithOneLine)
{
    const Points points = scattered(6, 2);
    const ModelMap models = fitAll(points);
    ASSERT_TRUE(RSMDataOut(base, " ").writeModels(models, points, true));
    const Bytes whole = fileBytes();
    // Record k (ids 0, 1, 2) ends where record k + 1 begins; the offsets are
    // the second int32 of each directory entry (all below 256 here).
    const std::size_t ends[3] = {whole[12] + 256u * whole[13], whole[20] + 256u * whole[21],
                                 whole.size()};
    for (std::size_t length = 0; length < whole.size(); ++length) {
        writeBytes(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        for (const int id : {0, 1, 2}) {
            const std::string line = failedRead(id, 2);
            if (length >= ends[id] && length >= ends[1] + 4) {
                EXPECT_EQ(line, "") << "length " << length << ", id " << id;
                continue;
            }
            EXPECT_EQ(line.rfind("model file '", 0), 0u) << "length " << length << ", id " << id;
            EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        }
    }
}

TEST_F(ModelFileTest, CorruptFilesSayWhatIsWrong)
{
    ASSERT_TRUE(RSMDataOut(base, " ").writeModels(fitTiny(), {{0.0}, {1.0}}, true));
    const Bytes good = fileBytes(); // the layout of BytesOfATinyFile
    struct Corruption {
        std::size_t at;
        std::uint32_t value;
        int id;
        const char* message;
    };
    const Corruption corruptions[] = {
        {4, 12, 1, "first record offset 12"},
        {4, 24, 1, "directory entry 2 (id 1, offset 1) does not follow entry 1"},
        {8, 0, 1, "does not follow entry 0"},
        {12, 200, 1, "outside the 104 bytes"},
        {12, 40, 1, "term table at byte 36 needs 3 rows of 1 int32, only 4 bytes are left before byte 40"},
        {12, 52, 1, "ends at byte 48, the next record or the file at byte 52"},
        {16, 9, 1, "unknown model type 9"},
        {20, 0xFFFFFFFFu, 1, "negative count -1"},
        {20, 1000000, 1, "needs 1000000 doubles"},
        {36, 2, 1, "names variable 2 of a model of 1 variables"},
        {80, 7, 2, "basis kind 7"},
        {84, 2, 2, "trailer flag is 2"},
        {52, 1, 2, "a model of 1 sample points"},
        {0, 0, 1, "response 1 is not in the directory of 2 models"},
    };
    for (const Corruption& c : corruptions) {
        Bytes bytes = good;
        Bytes value;
        appendInt(value, c.value);
        std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        writeBytes(bytes);
        const std::string line = failedRead(c.id, 1);
        EXPECT_NE(line.find(c.message), std::string::npos) << "at " << c.at << ": " << line;
    }
    writeBytes(good);
    EXPECT_NE(failedRead(3, 1).find("response 3 is not in the directory"), std::string::npos);
    EXPECT_NE(failedRead(2, 0).find("a model of 0 variables"), std::string::npos);
    std::remove((base + ".rsm").c_str());
    EXPECT_NE(failedRead(1, 1).find("cannot be opened for reading"), std::string::npos);
}

// Every byte of a small file of all three types flipped in turn: each read
// either refuses the file or gives a model that predicts, never anything worse
// (the sanitizer build runs this too).
TEST_F(ModelFileTest, FlippedBytesNeverReadOutOfBounds)
{
    const Points points = scattered(3, 2);
    const ModelMap models = fitAll(points);
    ASSERT_TRUE(RSMDataOut(base, " ").writeModels(models, points, true));
    const Bytes good = fileBytes();
    for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes bytes = good;
        bytes[at] ^= 0xA5;
        writeBytes(bytes);
        for (const int id : {0, 1, 2}) {
            failedRead(id, 2);
        }
    }
}

TEST_F(ModelFileTest, WritingFailuresAreReported)
{
    const Points points = scattered(5, 2);
    const ModelMap models = fitAll(points);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(RSMDataOut(base + "/no/such/folder/x", " ").writeModels(models, points, true));
    EXPECT_FALSE(RSMDataOut(base, " ").writeModels(models, scattered(4, 2), true))
        << "the sample does not match the models";
    const std::string lines = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(lines.find("cannot be opened for writing"), std::string::npos);
    EXPECT_NE(lines.find("the sample handed to the writer has 4 points, the model 5"),
              std::string::npos);
}

} // namespace
} // namespace Opt::RSM
