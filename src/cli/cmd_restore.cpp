// tamalog-cli restore FOLDER USER [VERSION]
// Without VERSION: lists the user's kept versions, newest first (name, date and
// time, file, lines). With VERSION: puts that version back as the user's file;
// the present content is kept as a version first, so the restore can be undone.
#include <iostream>

#include "command_registry.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"

namespace tama::cli {
namespace {

constexpr std::string_view kUsage = "restore FOLDER USER [VERSION]";

int runRestore(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 3) {
        std::cerr << "使い方: tamalog-cli " << kUsage << "\n";
        return 2;
    }
    const fs::path folder = args[0];
    const std::string& user = args[1];
    std::string problem = userNameProblem(user);
    if (!problem.empty()) {
        std::cerr << problem << "\n";
        return 1;
    }
    if (args.size() == 2) {
        auto versions = listBackups(folder, user);
        if (versions.empty()) std::cout << "利用者「" << user << "」のバックアップはありません\n";
        for (const auto& v : versions)
            std::cout << v.id << "\t" << v.stamp << "\t" << v.file << "\t"
                      << (v.lines < 0 ? std::string("読めません") : std::to_string(v.lines) + " 行") << "\n";
        return 0;
    }
    try {
        restoreBackup(folder, user, args[2]);
    } catch (const std::invalid_argument& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cout << args[2] << " を元に戻しました\n";
    return 0;
}

const Register kRestore("restore", std::string(kUsage), runRestore);

}  // namespace
}  // namespace tama::cli
