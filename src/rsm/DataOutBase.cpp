#include "rsm/DataOutBase.h"

#include <iostream>
#include <limits>
#include <string>

#include "rsm/CurrentDesign.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

constexpr std::uint64_t kDirectoryEntryBytes = 8;
constexpr std::uint64_t kTypeFieldBytes = 4;

struct DirectoryEntry {
    std::int32_t responseId;
    std::uint64_t offset;
};

std::vector<DirectoryEntry> readDirectory(ModelFileReader& reader)
{
    const std::uint64_t size = reader.fileSize();
    if (size < kDirectoryEntryBytes) {
        throw ModelFileError{"a file of " + std::to_string(size) + " bytes holds no directory"};
    }
    reader.seek(0);
    reader.readInt("first directory id");
    const std::int32_t first = reader.readInt("first record offset");
    // The first record begins where the directory ends.
    if (first < static_cast<std::int32_t>(kDirectoryEntryBytes) || first % kDirectoryEntryBytes != 0 ||
        static_cast<std::uint64_t>(first) + kTypeFieldBytes > size) {
        throw ModelFileError{"the first record offset " + std::to_string(first) +
                             " cannot end a directory in a file of " + std::to_string(size) +
                             " bytes"};
    }
    const std::uint64_t count = static_cast<std::uint64_t>(first) / kDirectoryEntryBytes;
    std::vector<DirectoryEntry> entries;
    reader.seek(0);
    for (std::uint64_t k = 0; k < count; ++k) {
        const std::int32_t id = reader.readInt("directory id");
        const std::int32_t offset = reader.readInt("directory offset");
        if (k > 0 && (id <= entries.back().responseId ||
                      offset <= static_cast<std::int64_t>(entries.back().offset))) {
            throw ModelFileError{"directory entry " + std::to_string(k) + " (id " +
                                 std::to_string(id) + ", offset " + std::to_string(offset) +
                                 ") does not follow entry " + std::to_string(k - 1) +
                                 " in ascending order"};
        }
        if (offset < first || static_cast<std::uint64_t>(offset) + kTypeFieldBytes > size) {
            throw ModelFileError{"the record of response " + std::to_string(id) + " at byte " +
                                 std::to_string(offset) + " lies outside the " +
                                 std::to_string(size) + " bytes after the directory"};
        }
        entries.push_back({id, static_cast<std::uint64_t>(offset)});
    }
    return entries;
}

} // namespace

DataOutBase::DataOutBase(const std::string& basePath, const std::string& extension,
                         const char* defaultExtension)
    : fileName(basePath + (extension == " " ? std::string(defaultExtension) : extension))
{
}

DataOutBase::~DataOutBase()
{
    closeStreams();
}

void DataOutBase::closeStreams()
{
    if (writeOpen) {
        writeFile.close();
        writeOpen = false;
    }
    if (readOpen) {
        readFile.close();
        readOpen = false;
    }
}

bool DataOutBase::writeModels(const ModelMap& models, const std::vector<std::vector<double>>& points,
                              bool normalised)
{
    closeStreams();
    writeFile.clear();
    writeFile.open(fileName, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!writeFile) {
        std::cerr << "model file '" << fileName << "': cannot be opened for writing" << std::endl;
        return false;
    }
    writeOpen = true;
    bool written = true;
    try {
        writeAll(models, SampleTrailer{normalised, points});
    } catch (const ModelFileError& error) {
        std::cerr << "model file '" << fileName << "': " << error.message << std::endl;
        written = false;
    }
    writeFile.close();
    writeOpen = false;
    if (written && writeFile.fail()) {
        std::cerr << "model file '" << fileName << "': closing the file failed" << std::endl;
        written = false;
    }
    return written;
}

void DataOutBase::writeAll(const ModelMap& models, const SampleTrailer& sample)
{
    ModelFileWriter writer(writeFile);
    for (const auto& entry : models) {
        if (entry.second == nullptr) {
            throw ModelFileError{"no model for response " + std::to_string(entry.first)};
        }
        writer.writeInt(entry.first);
        writer.writeInt(0);
    }
    std::vector<std::int64_t> offsets;
    for (const auto& entry : models) {
        const RSMBase& model = *entry.second;
        const ModelRecordType* type = findModelRecordType(model.modelType());
        if (type == nullptr) {
            throw ModelFileError{"the model of response " + std::to_string(entry.first) +
                                 " has type " + std::to_string(model.modelType()) +
                                 ", which has no record format"};
        }
        if (writer.position() > std::numeric_limits<std::int32_t>::max()) {
            throw ModelFileError{"the record of response " + std::to_string(entry.first) +
                                 " would start at byte " + std::to_string(writer.position()) +
                                 ", beyond the reach of int32 offsets"};
        }
        offsets.push_back(writer.position());
        writer.writeInt(model.modelType());
        type->write(writer, model, sample);
    }
    writer.seek(0);
    std::size_t k = 0;
    for (const auto& entry : models) {
        writer.writeInt(entry.first);
        writer.writeInt(offsets[k++]);
    }
    writer.flush();
}

std::shared_ptr<RSMBase> DataOutBase::readModel(int responseId, int variableCount)
{
    const auto fail = [this](const std::string& problem) {
        std::cerr << "model file '" << fileName << "': " << problem << std::endl;
        closeStreams();
        throw false;
    };
    if (variableCount < 1) {
        fail("a model of " + std::to_string(variableCount) + " variables was asked for");
    }
    closeStreams();
    readFile.clear();
    readFile.open(fileName, std::ios::binary | std::ios::in);
    if (!readFile) {
        fail("cannot be opened for reading");
    }
    readOpen = true;
    readFile.seekg(0, std::ios::end);
    const std::streamoff size = readFile.tellg();
    if (size < 0) {
        fail("the size of the file cannot be read");
    }
    RestoredModel restored;
    try {
        restored = readRecord(readFile, static_cast<std::uint64_t>(size), responseId, variableCount);
    } catch (const ModelFileError& error) {
        fail(error.message);
    }
    closeStreams();
    if (restored.trailer) {
        const auto design = currentDesign();
        if (design == nullptr) {
            setCurrentDesign(std::make_shared<GivenPointsDesign>(restored.trailer->points));
        } else {
            if (design->pointSet == nullptr) {
                design->pointSet = std::make_shared<DOE::DOESamplingPointSet>();
            }
            design->pointSet->points = restored.trailer->points;
            design->pointCount = static_cast<int>(restored.trailer->points.size());
            design->factorCount = variableCount;
        }
        currentDesign()->pointSet->normalised = restored.trailer->normalised;
    }
    return restored.model;
}

RestoredModel DataOutBase::readRecord(std::istream& stream, std::uint64_t fileSize, int responseId,
                                      int variableCount)
{
    ModelFileReader reader(stream, fileSize);
    const std::vector<DirectoryEntry> directory = readDirectory(reader);
    std::size_t k = 0;
    while (k < directory.size() && directory[k].responseId != responseId) {
        ++k;
    }
    if (k == directory.size()) {
        throw ModelFileError{"response " + std::to_string(responseId) +
                             " is not in the directory of " + std::to_string(directory.size()) +
                             " models"};
    }
    const std::uint64_t end = k + 1 < directory.size() ? directory[k + 1].offset : fileSize;
    reader.seek(directory[k].offset);
    reader.limitTo(end);
    const std::int32_t type = reader.readInt("model type");
    const ModelRecordType* format = findModelRecordType(type);
    if (format == nullptr) {
        throw ModelFileError{"the record of response " + std::to_string(responseId) +
                             " has the unknown model type " + std::to_string(type)};
    }
    RestoredModel restored = format->read(reader, responseId, variableCount);
    if (reader.position() != end) {
        throw ModelFileError{"the record of response " + std::to_string(responseId) +
                             " ends at byte " + std::to_string(reader.position()) +
                             ", the next record or the file at byte " + std::to_string(end)};
    }
    return restored;
}

} // namespace Opt::RSM
