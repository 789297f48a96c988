// tamalog-cli check FOLDER
// Reads every data file of every user (YearFiles, Year.txt, holl.dat,
// kisyu.dat) and the common lists in CboData, and lists each problem with its
// file and line. Exit 0 and a one-line summary when everything is sound, 1 when
// anything was found.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "command_registry.h"
#include "storage/folder_check.h"

namespace tama::cli {
namespace {

constexpr std::string_view kUsage = "check FOLDER";

int runCheck(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "使い方: tamalog-cli " << kUsage << "\n";
        return 2;
    }
    const std::filesystem::path root = args[0];
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        std::cerr << "フォルダーがありません: " << root.string() << "\n";
        return 1;
    }
    const FolderCheck found = checkProgramFolder(root);
    // One problem a line: a name holding a line end or bytes that are not UTF-8
    // (a folder named by another program) is printed escaped.
    for (const auto& p : found.problems) std::cout << problemLine(p) << "\n";
    std::string counts = "利用者 " + std::to_string(found.users) + " 人、年ファイル " +
                         std::to_string(found.yearFiles) + " 個、記録 " + std::to_string(found.records) + " 件";
    if (found.problems.empty()) {
        std::cout << "OK: " << counts << "、問題はありません\n";
        return 0;
    }
    std::cout << "問題 " << found.problems.size() << " 件（" << counts << "）\n";
    return 1;
}

const Register kCheck("check", std::string(kUsage), runCheck);

}  // namespace
}  // namespace tama::cli
