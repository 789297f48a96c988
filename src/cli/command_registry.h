#pragma once
// tamalog-cli's subcommands register themselves here; main dispatches by name.
// Each command lives in its own cmd_<name>.cpp, compiled straight into the
// executable so its registration object is always linked in.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tama::cli {

// Runs a command with the arguments after its name; returns the exit code.
using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string usage;  // one line: "add FOLDER USER BOX=VALUE ..."
    CommandFn run;
};

std::map<std::string, Command>& commands();

struct Register {
    Register(const std::string& name, std::string usage, CommandFn fn) {
        commands()[name] = Command{std::move(usage), std::move(fn)};
    }
};

}  // namespace tama::cli
