#include "rsm/ModelRecordTypes.h"

#include <string>
#include <utility>

#include "doe/DOESamplingPointSet.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/Kriging.h"
#include "rsm/OrdinaryKrigingGeo.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {

namespace {

// Every model is fitted to at least two points.
constexpr std::size_t kMinimumPoints = 2;

template <typename Model>
const Model& modelAs(const RSMBase& model, const char* name)
{
    const auto* concrete = dynamic_cast<const Model*>(&model);
    if (concrete == nullptr) {
        throw ModelFileError{"a model of type " + std::to_string(model.modelType()) + " is no " +
                             name};
    }
    return *concrete;
}

void writePolynomial(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& /*sample*/)
{
    modelAs<PolynomialRegression>(model, "polynomial regression").writeBlock(writer, false);
}

RestoredModel readPolynomial(ModelFileReader& reader, int responseId, int variableCount)
{
    return {PolynomialRegression::readBlock(reader, responseId, variableCount, false), std::nullopt};
}

void writeKriging(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample)
{
    const auto& kriging = modelAs<Kriging>(model, "kriging model");
    kriging.writeBlock(writer, false);
    writeTrailer(writer, sample, static_cast<int>(kriging.record().weights.size()),
                 kriging.variableCount);
}

RestoredModel readKriging(ModelFileReader& reader, int responseId, int variableCount)
{
    auto model = Kriging::readBlock(reader, responseId, variableCount, false);
    SampleTrailer trailer =
        readTrailer(reader, std::as_const(*model).record().weights.size(), variableCount);
    model->restoreSample(trailer.points);
    return {model, std::move(trailer)};
}

void writeRadialBasis(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample)
{
    const auto& rbf = modelAs<RadialBasisFunction>(model, "radial basis function model");
    rbf.writeBlock(writer, false);
    writeTrailer(writer, sample, static_cast<int>(rbf.record().weights.size()), rbf.variableCount);
}

RestoredModel readRadialBasis(ModelFileReader& reader, int responseId, int variableCount)
{
    auto model = RadialBasisFunction::readBlock(reader, responseId, variableCount, false);
    SampleTrailer trailer = readTrailer(reader, std::as_const(*model).record().weights.size(), variableCount);
    model->restoreSample(trailer.points);
    return {model, std::move(trailer)};
}

void writeSupportVector(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample)
{
    const auto& svr = modelAs<SupportVectorRegression>(model, "support vector regression");
    svr.writeBlock(writer);
    writeTrailer(writer, sample, static_cast<int>(svr.record().beta.size()), svr.variableCount);
}

RestoredModel readSupportVector(ModelFileReader& reader, int responseId, int variableCount)
{
    auto model = SupportVectorRegression::readBlock(reader, responseId, variableCount);
    SampleTrailer trailer = readTrailer(reader, std::as_const(*model).record().beta.size(), variableCount);
    model->restoreSample(trailer.points);
    return {model, std::move(trailer)};
}

void writeEnsemble(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample)
{
    const auto& ensemble = modelAs<EnsembleOfSurrogates>(model, "ensemble of surrogates");
    ensemble.writeRecord(writer);
    writeTrailer(writer, sample, ensemble.sampleCount(), ensemble.variableCount);
}

RestoredModel readEnsemble(ModelFileReader& reader, int responseId, int variableCount)
{
    auto model = EnsembleOfSurrogates::readRecord(reader, responseId, variableCount);
    SampleTrailer trailer = readTrailer(reader, model->data->values.size(), variableCount);
    model->restoreSamples(trailer.points);
    return {model, std::move(trailer)};
}

void writeOrdinaryKriging(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample)
{
    const auto& geo = modelAs<OrdinaryKrigingGeo>(model, "ordinary kriging model");
    geo.writeRecord(writer);
    writeTrailer(writer, sample, static_cast<int>(geo.data->values.size()), geo.variableCount);
}

RestoredModel readOrdinaryKriging(ModelFileReader& reader, int responseId, int variableCount)
{
    auto model = OrdinaryKrigingGeo::readRecord(reader, responseId, variableCount);
    SampleTrailer trailer = readTrailer(reader, model->data->values.size(), variableCount);
    model->restoreSample(trailer.points);
    return {model, std::move(trailer)};
}

const ModelRecordType kRecordTypes[] = {
    {1, writePolynomial, readPolynomial},
    {2, writeKriging, readKriging},
    {3, writeRadialBasis, readRadialBasis},
    {4, writeSupportVector, readSupportVector},
    {5, writeEnsemble, readEnsemble},
    {6, writeOrdinaryKriging, readOrdinaryKriging},
};

} // namespace

const ModelRecordType* findModelRecordType(int modelType)
{
    for (const auto& type : kRecordTypes) {
        if (type.modelType == modelType) {
            return &type;
        }
    }
    return nullptr;
}

void writeTrailer(ModelFileWriter& writer, const SampleTrailer& sample, int pointCount,
                  int variableCount)
{
    if (sample.points.size() != static_cast<std::size_t>(pointCount)) {
        throw ModelFileError{"the sample handed to the writer has " +
                             std::to_string(sample.points.size()) + " points, the model " +
                             std::to_string(pointCount)};
    }
    writer.writeInt(sample.normalised ? 1 : 0);
    for (const auto& point : sample.points) {
        if (point.size() != static_cast<std::size_t>(variableCount)) {
            throw ModelFileError{"a sample point of " + std::to_string(point.size()) +
                                 " coordinates for a model of " + std::to_string(variableCount) +
                                 " variables"};
        }
        writer.writeDoubles(point.data(), point.size());
    }
}

SampleTrailer readTrailer(ModelFileReader& reader, std::size_t pointCount, int variableCount)
{
    if (pointCount < kMinimumPoints ||
        pointCount > static_cast<std::size_t>(DOE::DOESamplingPointSet::kPointLimit)) {
        throw ModelFileError{"a model of " + std::to_string(pointCount) +
                             " sample points (a design holds 2 to " +
                             std::to_string(DOE::DOESamplingPointSet::kPointLimit) + ")"};
    }
    SampleTrailer trailer;
    const std::int32_t flag = reader.readInt("trailer flag");
    if (flag != 0 && flag != 1) {
        throw ModelFileError{"the trailer flag is " + std::to_string(flag) + ", not 1 or 0"};
    }
    trailer.normalised = flag == 1;
    const auto width = static_cast<std::uint64_t>(variableCount);
    const std::vector<double> flat =
        reader.readDoubles(static_cast<std::uint64_t>(pointCount) * width, "trailer points");
    trailer.points.resize(pointCount);
    for (std::size_t i = 0; i < pointCount; ++i) {
        trailer.points[i].assign(flat.begin() + static_cast<std::ptrdiff_t>(i * width),
                                 flat.begin() + static_cast<std::ptrdiff_t>((i + 1) * width));
    }
    return trailer;
}

} // namespace Opt::RSM
