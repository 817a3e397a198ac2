#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

namespace Opt::RSM {

// Writes the values of a model file: 32-bit signed integers (two's complement)
// and IEEE-754 doubles, both little-endian whatever the host's byte order,
// packed without padding. The blocks of the format:
//   vector block     int32 count c, then c doubles;
//   int-table block  int32 count c, then three rows of c int32 (no row counts);
//   rows block       int32 row count r, then r vector blocks.
//
// Values are encoded into a staging buffer and handed to the stream one buffer
// at a time, so no single write moves more than kStagingBytes, far below the
// format's limit of kMaxDoublesPerCall doubles or kMaxIntsPerCall int32 per call.
// A failed stream write, or a count or offset beyond int32, throws ModelFileError.
class ModelFileWriter {
public:
    static constexpr std::size_t kMaxDoublesPerCall = 134217728;
    static constexpr std::size_t kMaxIntsPerCall = 268435456;
    static constexpr std::size_t kStagingBytes = 1u << 19;

    explicit ModelFileWriter(std::ostream& stream);

    void writeInt(long long value);
    void writeDouble(double value);
    void writeDoubles(const double* values, std::size_t count); // no count before them
    void writeVector(const std::vector<double>& values);
    void writeIntTable(const std::array<std::vector<int>, 3>& table);
    void writeRows(const std::vector<std::vector<double>>& rows);

    // Bytes from the start of the file to the next value written.
    std::int64_t position() const { return streamPosition + static_cast<std::int64_t>(staging.size()); }
    // Writes what is staged, then continues at offset.
    void seek(std::int64_t offset);
    // Writes what is staged.
    void flush();

private:
    void writeCount(std::size_t count);
    void stageUnsigned(std::uint64_t bits, int bytes);

    std::ostream& stream;
    std::vector<unsigned char> staging;
    std::int64_t streamPosition = 0;
};

} // namespace Opt::RSM
