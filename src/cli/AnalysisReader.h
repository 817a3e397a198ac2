// Reads the [analysis] table: how one evaluation runs the analysis program and
// exchanges files with it.
#pragma once

#include "cli/Study.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

Analysis readAnalysis(const TableReader& analysis);

}  // namespace Cli
}  // namespace Opt
