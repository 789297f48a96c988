#include "data_folders.h"

#include <cstring>

#include "record_store.h"
#include "shared/file_io.h"

namespace tama {

std::vector<std::string> ensureDataFolders(const fs::path& programFolder) {
    std::array<bool, kDataFolders.size()> seen{};
    std::error_code ec;
    for (fs::directory_iterator it(programFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        for (size_t k = 0; k < kDataFolders.size(); ++k)
            if (name == kDataFolders[k]) seen[k] = true;
    }
    std::vector<std::string> created;
    for (size_t k = 0; k < kDataFolders.size(); ++k) {
        if (seen[k]) continue;
        fs::path folder = programFolder / std::string(kDataFolders[k]);
        std::error_code mk;
        fs::create_directory(folder, mk);
        if (mk) throw FileError(folder, 0, "フォルダーを作成できません: " + mk.message());
        created.emplace_back(kDataFolders[k]);
    }
    return created;
}

std::vector<fs::path> removeLeftoverTemporaries(const fs::path& programFolder) {
    try {
        FolderWriteLock lock(programFolder, std::chrono::milliseconds(0));
        return removeStaleTemporaries(programFolder);
    } catch (const FileError&) {
        return {};  // another writer holds the lock, or the folder is read-only
    }
}

fs::path settingsFilePath(const fs::path& programFolder) { return findNoCase(programFolder, "tmrec.ini"); }

std::int64_t DataFolderScan(const fs::path& programFolder, std::string_view user,
                            const std::function<void(std::int64_t)>& progress) {
    RecordStore store(programFolder);
    std::int64_t counter = 0;
    // The name comes from the settings file; one that could not be a user folder
    // (for example "..") names no user, so there is nothing to scan.
    if (!userNameProblem(user).empty()) return counter;
    fs::path folder = store.userFolder(user);
    for (const auto& name : store.yearFileNames(user)) {
        for (size_t k = readYearFile(folder / name).size(); k > 0; --k) {
            ++counter;
            if (progress) progress(counter);
        }
    }
    return counter;
}

bool noUserExists(const fs::path& programFolder) {
    std::error_code ec;
    fs::directory_iterator it(findNoCase(programFolder, "Data"), ec);
    return ec || it == fs::directory_iterator();
}

}  // namespace tama
