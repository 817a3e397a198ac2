// What an analysis writes is not to be trusted: the reader must turn anything
// that is not a clean set of numbers into an error, never into a value.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "cli/ResultsFile.h"

namespace {

using Opt::Cli::FileFormat;
using Opt::Cli::ResultsFile;

bool parses(const std::string& text, FileFormat format, std::map<std::string, double>* out = nullptr)
{
    std::map<std::string, double> values;
    std::string error;
    const bool ok = ResultsFile::parse(text, format, values, error);
    EXPECT_EQ(ok, error.empty()) << error;
    if (out) {
        *out = values;
    }
    return ok;
}

TEST(ResultsFile, KeyValueLines)
{
    std::map<std::string, double> values;
    ASSERT_TRUE(parses("# comment\n mass = 7.5 \n\nstress=1e2\r\n", FileFormat::KeyValue, &values));
    EXPECT_EQ(values.at("mass"), 7.5);
    EXPECT_EQ(values.at("stress"), 100.0);
    EXPECT_FALSE(parses("mass = twelve\n", FileFormat::KeyValue));
    EXPECT_FALSE(parses("mass = 7.5 kg\n", FileFormat::KeyValue));
    EXPECT_FALSE(parses("mass 7.5\n", FileFormat::KeyValue));
    EXPECT_FALSE(parses("mass =\n", FileFormat::KeyValue));
    EXPECT_FALSE(parses("= 7.5\n", FileFormat::KeyValue));
    EXPECT_FALSE(parses(std::string("mass = 7\0x", 10), FileFormat::KeyValue));
}

TEST(ResultsFile, FlatJsonObject)
{
    std::map<std::string, double> values;
    ASSERT_TRUE(parses(" {\"mass\": 7.5, \"stress\" : -1e-3}\n", FileFormat::Json, &values));
    EXPECT_EQ(values.at("mass"), 7.5);
    EXPECT_EQ(values.at("stress"), -1e-3);
    EXPECT_TRUE(parses("{}", FileFormat::Json));
    for (const char* garbage :
         {"", "{", "{\"mass\": 7.5", "{\"mass\": 7.5,}", "{\"mass\": \"7.5\"}",
          "{\"mass\": [7.5]}", "{\"a\": {\"b\": 1}}", "{mass: 7.5}", "{\"mass\": 7.5} trailing",
          "{\"mass\" 7.5}", "[1, 2]", "Segmentation fault"}) {
        EXPECT_FALSE(parses(garbage, FileFormat::Json)) << garbage;
    }
}

}  // namespace
