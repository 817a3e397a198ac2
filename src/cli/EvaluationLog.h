// The evaluation log: a CSV file with one row per evaluation, appended and
// flushed as each one finishes, so that an interrupted run loses nothing that
// ended. Designs and values are printed with %.17g and read back bit-identical,
// which is what lets --resume answer a design from the log instead of running
// the analysis again.
//
//   # seed = 1234                          (GA methods; the seed the run used)
//   index,width,height,area,stress,status,wall_seconds,where,detail
//   0,12.5,80,1000,95.2,ok,0.013,node1,""
#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Evaluation.h"
#include "cli/Study.h"

namespace Opt {
namespace Cli {

class EvaluationLog {
public:
    struct Contents {
        std::optional<int> seed;
        std::vector<Evaluation> evaluations;
    };

    // Reads a log written for a study with these variables and responses.
    // Throws std::runtime_error (path:line: reason) for any other file.
    static Contents load(const std::string& path, const Study& study);

    // Starts a new log (an existing one is replaced), seed line first if any.
    // A resumed run writes the loaded rows back first: a row cut short by the
    // kill that ended the last run is dropped rather than continued.
    void create(const std::string& path, const Study& study, std::optional<int> seed);
    void append(const Evaluation& evaluation);

    static std::string header(const Study& study);
    static std::string row(const Evaluation& evaluation);
    static Evaluation parseRow(const std::string& line, const Study& study);

private:
    std::ofstream file_;
    std::string path_;
    void open(const std::string& path, std::ios::openmode mode);
};

}  // namespace Cli
}  // namespace Opt
