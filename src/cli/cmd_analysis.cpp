// tamalog-cli analysis: the count label and the table the analysis window shows.
#include <iostream>

#include "analysis/analysis_command.h"
#include "command_registry.h"

namespace {
const tama::cli::Register reg("analysis", tama::kAnalysisCommandUsage, [](const std::vector<std::string>& args) {
    return tama::runAnalysisCommand(args, std::cout, std::cerr);
});
}  // namespace
