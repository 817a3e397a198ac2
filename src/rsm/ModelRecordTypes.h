#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "rsm/RSMBase.h"

namespace Opt::RSM {

class ModelFileReader;
class ModelFileWriter;

// The sample stored after a model's payload (the trailer): the normalised flag
// as int32 (1 or 0), then every sample point, n doubles each, with no counts.
struct SampleTrailer {
    bool normalised = true;
    std::vector<std::vector<double>> points;
};

// A model read back from its record, with the trailer when its type has one.
struct RestoredModel {
    std::shared_ptr<RSMBase> model;
    std::optional<SampleTrailer> trailer;
};

// How one model type is written to and read from a model file: the record after
// its int32 type field. The writer gets the sample the caller hands to the file
// (written as the trailer where the type has one, checked against the model's
// own point count); the reader gets the response id and the number of
// variables. Both throw ModelFileError on anything inconsistent.
struct ModelRecordType {
    int modelType;
    void (*write)(ModelFileWriter& writer, const RSMBase& model, const SampleTrailer& sample);
    RestoredModel (*read)(ModelFileReader& reader, int responseId, int variableCount);
};

// The record type of a model type code, or null when the file format has none
// for it. One table serves writer and reader alike; a new model type is one
// more row there.
const ModelRecordType* findModelRecordType(int modelType);

// The trailer of a record whose model has pointCount per-sample entries.
void writeTrailer(ModelFileWriter& writer, const SampleTrailer& sample, int pointCount,
                  int variableCount);
SampleTrailer readTrailer(ModelFileReader& reader, std::size_t pointCount, int variableCount);

} // namespace Opt::RSM
