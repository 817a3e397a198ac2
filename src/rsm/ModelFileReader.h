#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace Opt::RSM {

// Reads the values of a model file in the layout ModelFileWriter writes
// (little-endian int32 and IEEE doubles; vector, int-table and rows blocks),
// whatever the host's byte order.
//
// Nothing is read or allocated on trust: every count is checked against the
// bytes left before the current limit (the end of the record being read, or of
// the file) before anything is allocated, so a truncated or corrupt file can
// neither read out of bounds nor make the reader allocate more than the file
// holds. Any violation throws ModelFileError with a message that names what was
// being read and at which byte. `what` arguments name the value for that message.
class ModelFileReader {
public:
    ModelFileReader(std::istream& stream, std::uint64_t fileSize);

    std::uint64_t fileSize() const { return size; }
    std::uint64_t position() const { return offset; }
    // Continues at byte `at` and lifts the limit to the end of the file.
    void seek(std::uint64_t at);
    // Reads past `end` count as running off the data.
    void limitTo(std::uint64_t end);
    std::uint64_t limit() const { return end; }

    std::int32_t readInt(const std::string& what);
    double readDouble(const std::string& what);
    // count doubles with no count before them.
    std::vector<double> readDoubles(std::uint64_t count, const std::string& what);
    std::vector<double> readVector(const std::string& what);
    std::array<std::vector<int>, 3> readIntTable(const std::string& what);
    std::vector<std::vector<double>> readRows(const std::string& what);

private:
    std::uint64_t readCount(const std::string& what);
    void require(std::uint64_t bytes, const std::string& what) const;
    [[noreturn]] void runOff(const std::string& needed, const std::string& what) const;
    void fetch(unsigned char* bytes, std::size_t count);
    std::uint64_t decode(const unsigned char* bytes, int count) const;

    std::istream& stream;
    std::uint64_t size;
    std::uint64_t offset = 0;
    std::uint64_t end;
};

} // namespace Opt::RSM
