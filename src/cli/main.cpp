// tamalog-cli: the command-line companion of タマログ. Thin commands over the
// same core functions the windows use.
#include <clocale>
#include <iostream>
#include <string_view>

#include "command_registry.h"
#include "shared/version.h"

namespace tama::cli {
std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> all;
    return all;
}
}  // namespace tama::cli

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "tamalog-cli " << tama::kVersion << "\n";
        return 0;
    }
    auto& all = tama::cli::commands();
    if (argc < 2 || !all.count(argv[1])) {
        std::cerr << "使い方: tamalog-cli COMMAND ...\n";
        for (const auto& [name, cmd] : all) std::cerr << "  tamalog-cli " << cmd.usage << "\n";
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return all.at(argv[1]).run(args);
    } catch (const std::exception& e) {
        std::cerr << "エラー: " << e.what() << "\n";
        return 1;
    }
}
