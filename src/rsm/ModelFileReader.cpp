#include "rsm/ModelFileReader.h"

#include <algorithm>
#include <cstring>

#include "rsm/ModelFileError.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

ModelFileReader::ModelFileReader(std::istream& input, std::uint64_t fileSize)
    : stream(input), size(fileSize), end(fileSize)
{
}

void ModelFileReader::seek(std::uint64_t at)
{
    if (at > size) {
        throw ModelFileError{"byte " + std::to_string(at) + " lies beyond the end of the file (" +
                             std::to_string(size) + " bytes)"};
    }
    stream.clear();
    stream.seekg(static_cast<std::streamoff>(at));
    if (!stream) {
        throw ModelFileError{"cannot move to byte " + std::to_string(at)};
    }
    offset = at;
    end = size;
}

void ModelFileReader::limitTo(std::uint64_t limitEnd)
{
    end = std::min(limitEnd, size);
}

std::int32_t ModelFileReader::readInt(const std::string& what)
{
    require(4, what);
    unsigned char bytes[4];
    fetch(bytes, 4);
    const auto bits = static_cast<std::uint32_t>(decode(bytes, 4));
    std::int32_t value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double ModelFileReader::readDouble(const std::string& what)
{
    require(8, what);
    unsigned char bytes[8];
    fetch(bytes, 8);
    const std::uint64_t bits = decode(bytes, 8);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<double> ModelFileReader::readDoubles(std::uint64_t count, const std::string& what)
{
    if (offset > end || count > (end - offset) / 8) {
        runOff(std::to_string(count) + " doubles", what);
    }
    std::vector<double> values(static_cast<std::size_t>(count));
    std::vector<unsigned char> chunk;
    std::size_t done = 0;
    while (done < values.size()) {
        const std::size_t take = std::min(values.size() - done, ModelFileWriter::kStagingBytes / 8);
        chunk.resize(take * 8);
        fetch(chunk.data(), chunk.size());
        for (std::size_t i = 0; i < take; ++i) {
            const std::uint64_t bits = decode(chunk.data() + 8 * i, 8);
            std::memcpy(&values[done + i], &bits, sizeof bits);
        }
        done += take;
    }
    return values;
}

std::vector<double> ModelFileReader::readVector(const std::string& what)
{
    const std::uint64_t count = readCount(what);
    return readDoubles(count, what);
}

std::array<std::vector<int>, 3> ModelFileReader::readIntTable(const std::string& what)
{
    const std::uint64_t count = readCount(what);
    if (offset > end || count > (end - offset) / 12) {
        runOff("3 rows of " + std::to_string(count) + " int32", what);
    }
    std::array<std::vector<int>, 3> table;
    for (auto& row : table) {
        row.resize(static_cast<std::size_t>(count));
        for (auto& value : row) {
            value = readInt(what);
        }
    }
    return table;
}

std::vector<std::vector<double>> ModelFileReader::readRows(const std::string& what)
{
    const std::uint64_t count = readCount(what);
    // Every row carries at least its own count.
    if (offset > end || count > (end - offset) / 4) {
        runOff(std::to_string(count) + " rows", what);
    }
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(count));
    for (auto& row : rows) {
        row = readVector(what);
    }
    return rows;
}

std::uint64_t ModelFileReader::readCount(const std::string& what)
{
    const std::uint64_t at = offset;
    const std::int32_t count = readInt(what);
    if (count < 0) {
        throw ModelFileError{what + " at byte " + std::to_string(at) + " has the negative count " +
                             std::to_string(count)};
    }
    return static_cast<std::uint64_t>(count);
}

void ModelFileReader::require(std::uint64_t bytes, const std::string& what) const
{
    if (offset > end || bytes > end - offset) {
        runOff(std::to_string(bytes) + " bytes", what);
    }
}

void ModelFileReader::runOff(const std::string& needed, const std::string& what) const
{
    const std::uint64_t left = end > offset ? end - offset : 0;
    throw ModelFileError{what + " at byte " + std::to_string(offset) + " needs " + needed +
                         ", only " + std::to_string(left) + " bytes are left before byte " +
                         std::to_string(end)};
}

void ModelFileReader::fetch(unsigned char* bytes, std::size_t count)
{
    stream.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
    if (static_cast<std::size_t>(stream.gcount()) != count) {
        throw ModelFileError{"the file could not be read at byte " + std::to_string(offset)};
    }
    offset += count;
}

std::uint64_t ModelFileReader::decode(const unsigned char* bytes, int count) const
{
    std::uint64_t bits = 0;
    for (int b = count - 1; b >= 0; --b) {
        bits = (bits << 8) | bytes[b];
    }
    return bits;
}

} // namespace Opt::RSM
