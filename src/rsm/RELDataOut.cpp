#include "rsm/RELDataOut.h"

#include <iostream>
#include <iterator>
#include <sstream>

#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

constexpr std::uint64_t kEntryBytes = 8;

std::int32_t littleEndianInt(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(k)]);
    }
    return static_cast<std::int32_t>(value);
}

void writeStatistics(ModelFileWriter& writer, const ReliabilityRecord& record)
{
    writer.writeInt(RELDataOut::kStatisticsRecordType);
    writer.writeInt(record.samplingMethod);
    writer.writeInt(record.sampleCount);
    writer.writeInt(static_cast<long long>(record.inputRows.size()));
    for (const auto& row : record.inputRows) {
        writer.writeDoubles(row.data(), row.size());
    }
    writer.writeInt(static_cast<long long>(record.responseIds.size()));
    for (const std::int32_t id : record.responseIds) {
        writer.writeInt(id);
    }
    for (const auto& block : record.responses) {
        writer.writeDoubles(block.data(), block.size());
    }
    writer.writeDoubles(record.correlations.data(), record.correlations.size());
}

// The model file as written, with its directory grown by the statistics entry:
// every offset moves by one entry.
void rewriteWithStatistics(const std::string& name, const ReliabilityRecord& record)
{
    std::ifstream in(name, std::ios::binary);
    const std::string models((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::size_t entries = static_cast<std::size_t>(littleEndianInt(models, 4)) / kEntryBytes;
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    ModelFileWriter writer(out);
    for (std::size_t k = 0; k < entries; ++k) {
        writer.writeInt(littleEndianInt(models, k * kEntryBytes));
        writer.writeInt(littleEndianInt(models, k * kEntryBytes + 4) + static_cast<long long>(kEntryBytes));
    }
    writer.writeInt(RELDataOut::kStatisticsId);
    writer.writeInt(static_cast<long long>(models.size() + kEntryBytes));
    writer.flush();
    out.write(models.data() + entries * kEntryBytes,
              static_cast<std::streamsize>(models.size() - entries * kEntryBytes));
    ModelFileWriter tail(out);
    writeStatistics(tail, record);
    tail.flush();
    if (!out) {
        throw ModelFileError{"writing the statistics record failed"};
    }
}

std::uint64_t statisticsOffset(ModelFileReader& reader)
{
    reader.seek(0);
    reader.readInt("first directory id");
    const std::int32_t first = reader.readInt("first record offset");
    if (first < static_cast<std::int32_t>(kEntryBytes) || first % kEntryBytes != 0) {
        throw ModelFileError{"the first record offset " + std::to_string(first) +
                             " cannot end a directory"};
    }
    reader.seek(static_cast<std::uint64_t>(first) - kEntryBytes);
    if (reader.readInt("last directory id") != RELDataOut::kStatisticsId) {
        throw ModelFileError{"the file holds models but no reliability statistics"};
    }
    const std::int32_t offset = reader.readInt("statistics offset");
    if (offset < first || static_cast<std::uint64_t>(offset) >= reader.fileSize()) {
        throw ModelFileError{"the statistics offset " + std::to_string(offset) +
                             " lies outside the file"};
    }
    return static_cast<std::uint64_t>(offset);
}

} // namespace

RELDataOut::RELDataOut(const std::string& basePath, const std::string& extension)
    : DataOutBase(basePath, extension, kDefaultExtension)
{
}

bool RELDataOut::writeReliability(const ModelMap& models,
                                  const std::vector<std::vector<double>>& points, bool normalised,
                                  const ReliabilityRecord& record)
{
    if (!writeModels(models, points, normalised)) {
        return false;
    }
    try {
        rewriteWithStatistics(fileName, record);
    } catch (const ModelFileError& error) {
        std::cerr << "model file '" << fileName << "': " << error.message << std::endl;
        return false;
    }
    return true;
}

ReliabilityRecord RELDataOut::readReliability() const
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        throw ModelFileError{"reliability file '" + fileName + "' cannot be opened for reading"};
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    ModelFileReader reader(in, size);
    reader.seek(statisticsOffset(reader));
    if (reader.readInt("statistics record type") != kStatisticsRecordType) {
        throw ModelFileError{"the statistics entry does not point at a statistics record"};
    }
    ReliabilityRecord record;
    record.samplingMethod = reader.readInt("sampling method");
    record.sampleCount = reader.readInt("sample count");
    const std::int32_t variables = reader.readInt("variable count");
    for (std::int32_t i = 0; i < variables; ++i) {
        const std::vector<double> row = reader.readDoubles(ReliabilityRecord::kInputRowLength, "input row");
        record.inputRows.emplace_back();
        std::copy(row.begin(), row.end(), record.inputRows.back().begin());
    }
    const std::int32_t responses = reader.readInt("response count");
    if (responses < 0 || variables < 0) {
        throw ModelFileError{"negative counts in the statistics record"};
    }
    for (std::int32_t j = 0; j < responses; ++j) {
        record.responseIds.push_back(reader.readInt("response id"));
    }
    for (std::int32_t j = 0; j < responses; ++j) {
        const std::vector<double> block = reader.readDoubles(ReliabilityRecord::kResponseBlockLength, "response block");
        record.responses.emplace_back();
        std::copy(block.begin(), block.end(), record.responses.back().begin());
    }
    const auto pairs = static_cast<std::uint64_t>(responses) * static_cast<std::uint64_t>(responses - 1) / 2;
    record.correlations = reader.readDoubles(pairs, "correlations");
    if (reader.position() != size) {
        throw ModelFileError{"the statistics record ends at byte " + std::to_string(reader.position()) +
                             ", the file at byte " + std::to_string(size)};
    }
    return record;
}

} // namespace Opt::RSM
