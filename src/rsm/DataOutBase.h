#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "rsm/ModelRecordTypes.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

// A surrogate model file: the fitted models of several responses in one binary
// file (little-endian int32 and IEEE doubles, packed):
//   directory  at offset 0, one entry per model in ascending response id:
//              int32 id, int32 byte offset of the model's record (no count);
//   records    in the same order: int32 model type, then the type's payload
//              (ModelRecordTypes), ending with the sample trailer for every type
//              but polynomial regression.
// The writer puts the directory down with zero offsets, writes the records,
// then goes back and writes the directory again with the offsets.
//
// RSMDataOut (".rsm") and RELDataOut (".rel") differ only in their default
// extension: an extension argument of exactly one blank takes the default, any
// other (".sao", or empty) is appended as given.
//
// Reading checks everything against the file: the directory's extent is taken
// from the first record's offset (so it must be a multiple of 8), ids and
// offsets must ascend, every offset must lie inside the file, each record must
// end exactly where the next one (or the file) begins, and every count, kind
// and term index must be possible. A file that cannot be opened, a truncated or
// corrupt one, or a response id that is not in the directory writes one line on
// standard error saying what is wrong and throws `false` (a bool).
//
// Decisions where behaviour was open:
// - An id missing from the directory is an error like a corrupt file (the file
//   cannot hold that model).
// - Reading a model whose record has a trailer installs the trailer's sample as
//   the current design's points (a new GivenPointsDesign when none is installed,
//   otherwise the installed design's point set and point count are replaced;
//   its responses are left as they are). A polynomial record has no trailer and
//   leaves the current design alone.
// - writeModels reports failure (a file that cannot be created, a model type
//   without a record format, a sample that does not match a model, a file
//   beyond the 2 GiB that int32 offsets reach) by one line on standard error
//   and a false result; what was written is left as it is.
class DataOutBase {
public:
    virtual ~DataOutBase();
    DataOutBase(const DataOutBase&) = delete;
    DataOutBase& operator=(const DataOutBase&) = delete;

    // Writes every model of the map with the sample (the current design's
    // points, in the coordinates the models were fitted in) and its flag.
    bool writeModels(const ModelMap& models, const std::vector<std::vector<double>>& points,
                     bool normalised);

    // The model of responseId from the file, fitted and ready to predict with
    // points of variableCount coordinates; throws false as described above.
    std::shared_ptr<RSMBase> readModel(int responseId, int variableCount);

    // The record of responseId from a model file held in a stream of fileSize
    // bytes, without touching the current design; throws ModelFileError.
    static RestoredModel readRecord(std::istream& stream, std::uint64_t fileSize, int responseId,
                                    int variableCount);

    std::ofstream writeFile;
    bool writeOpen = false;
    std::ifstream readFile;
    bool readOpen = false;
    std::string fileName;

protected:
    DataOutBase(const std::string& basePath, const std::string& extension,
                const char* defaultExtension);

private:
    void writeAll(const ModelMap& models, const SampleTrailer& sample);
    void closeStreams();
};

} // namespace Opt::RSM
