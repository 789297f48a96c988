// tamalog-cli graph: the series the graph window draws, as text.
#include <iostream>

#include "command_registry.h"
#include "graphs/graph_command.h"

namespace {
const tama::cli::Register reg("graph", tama::kGraphCommandUsage, [](const std::vector<std::string>& args) {
    return tama::runGraphCommand(args, std::cout, std::cerr);
});
}  // namespace
