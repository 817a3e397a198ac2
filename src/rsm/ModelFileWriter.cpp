#include "rsm/ModelFileWriter.h"

#include <cstring>
#include <limits>
#include <string>

#include "rsm/ModelFileError.h"

namespace Opt::RSM {

static_assert(std::numeric_limits<double>::is_iec559, "the model file stores IEEE-754 doubles");
static_assert(ModelFileWriter::kStagingBytes / 8 <= ModelFileWriter::kMaxDoublesPerCall &&
                  ModelFileWriter::kStagingBytes / 4 <= ModelFileWriter::kMaxIntsPerCall,
              "one staged write stays within the per-call limits");

ModelFileWriter::ModelFileWriter(std::ostream& output) : stream(output)
{
    staging.reserve(kStagingBytes);
}

void ModelFileWriter::writeInt(long long value)
{
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw ModelFileError{"the value " + std::to_string(value) + " does not fit in 32 bits"};
    }
    // Two's complement: the low 32 bits of the value as an unsigned number.
    stageUnsigned(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)), 4);
}

void ModelFileWriter::writeDouble(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    stageUnsigned(bits, 8);
}

void ModelFileWriter::writeDoubles(const double* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        writeDouble(values[i]);
    }
}

void ModelFileWriter::writeVector(const std::vector<double>& values)
{
    writeCount(values.size());
    writeDoubles(values.data(), values.size());
}

void ModelFileWriter::writeIntTable(const std::array<std::vector<int>, 3>& table)
{
    writeCount(table[0].size());
    for (const auto& row : table) {
        if (row.size() != table[0].size()) {
            throw ModelFileError{"the rows of an integer table differ in length"};
        }
        for (const int value : row) {
            writeInt(value);
        }
    }
}

void ModelFileWriter::writeRows(const std::vector<std::vector<double>>& rows)
{
    writeCount(rows.size());
    for (const auto& row : rows) {
        writeVector(row);
    }
}

void ModelFileWriter::seek(std::int64_t offset)
{
    flush();
    stream.seekp(static_cast<std::streamoff>(offset));
    if (!stream) {
        throw ModelFileError{"cannot move to byte " + std::to_string(offset)};
    }
    streamPosition = offset;
}

void ModelFileWriter::flush()
{
    if (staging.empty()) {
        return;
    }
    stream.write(reinterpret_cast<const char*>(staging.data()),
                 static_cast<std::streamsize>(staging.size()));
    if (!stream) {
        throw ModelFileError{"writing " + std::to_string(staging.size()) + " bytes at byte " +
                             std::to_string(streamPosition) + " failed"};
    }
    streamPosition += static_cast<std::int64_t>(staging.size());
    staging.clear();
}

void ModelFileWriter::writeCount(std::size_t count)
{
    writeInt(static_cast<long long>(count));
}

void ModelFileWriter::stageUnsigned(std::uint64_t bits, int bytes)
{
    for (int b = 0; b < bytes; ++b) {
        staging.push_back(static_cast<unsigned char>((bits >> (8 * b)) & 0xFFu));
    }
    if (staging.size() >= kStagingBytes) {
        flush();
    }
}

} // namespace Opt::RSM
