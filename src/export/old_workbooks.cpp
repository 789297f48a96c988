#include "old_workbooks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string>

#include "analysis/analysis_table.h"
#include "export/analysis_export.h"
#include "shared/file_io.h"
#include "storage/data_folders.h"
#include "storage/settings_file.h"

namespace tama {

namespace {

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool consume(std::string_view& s, std::string_view prefix) {
    if (!s.starts_with(prefix)) return false;
    s.remove_prefix(prefix.size());
    return true;
}

// "日間収支データ一覧  (<year>年<mm>月度)", the monthly window's caption.
bool isMonthSheetName(std::string_view s) {
    if (!consume(s, "日間収支データ一覧  (")) return false;
    const size_t year = s.find("年");
    if (year == std::string_view::npos || year == 0 || year > 4 || !allDigits(s.substr(0, year))) return false;
    s.remove_prefix(year + std::string_view("年").size());
    return s.size() == 2 + std::string_view("月度)").size() && allDigits(s.substr(0, 2)) && s.substr(2) == "月度)";
}

}  // namespace

bool isExportWorkbookName(std::string_view name) {
    if (!name.ends_with(".xlsx")) return false;
    std::string_view stem = name.substr(0, name.size() - 5);
    // A second workbook of one sheet is "<name> (2).xlsx" and so on.
    if (stem.ends_with(")")) {
        const size_t open = stem.rfind(" (");
        if (open != std::string_view::npos && allDigits(stem.substr(open + 2, stem.size() - open - 3)))
            stem = stem.substr(0, open);
    }
    if (isMonthSheetName(stem)) return true;
    for (int t = 0; t < kAnalysisTabCount; ++t)
        if (stem == analysisSheetName(static_cast<AnalysisTab>(t))) return true;
    return false;
}

int workbookKeepDays(const fs::path& programFolder) {
    const std::string text = SettingsFile(settingsFilePath(programFolder)).read("Export", "KeepDays");
    if (text.size() > 4 || !allDigits(text)) return kDefaultWorkbookKeepDays;
    const int n = std::stoi(text);
    return n <= 3650 ? n : kDefaultWorkbookKeepDays;
}

std::vector<fs::path> removeOldWorkbooks(const fs::path& temp, int days, std::chrono::system_clock::time_point now) {
    std::vector<fs::path> removed;
    if (days <= 0) return removed;
    // The folder itself must not be a link: O_NOFOLLOW refuses one.
    const int dir = ::open(temp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return removed;
    const int listed = ::dup(dir);
    DIR* d = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!d) {
        if (listed >= 0) ::close(listed);
        ::close(dir);
        return removed;
    }
    const auto limit = std::chrono::system_clock::to_time_t(now - std::chrono::hours(24) * days);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (isExportWorkbookName(name)) names.emplace_back(name);
    }
    ::closedir(d);
    for (const std::string& name : names) {
        struct stat st {};
        // The entry itself, not what a link points at: only regular files go.
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_mtime >= limit) continue;
        if (::unlinkat(dir, name.c_str(), 0) == 0) removed.push_back(temp / name);
    }
    ::close(dir);
    std::sort(removed.begin(), removed.end());
    return removed;
}

std::vector<fs::path> removeOldWorkbooksAtStart(const fs::path& programFolder) {
    try {
        FolderWriteLock lock(programFolder, std::chrono::milliseconds(0));
        return removeOldWorkbooks(findNoCase(programFolder, "Temp"), workbookKeepDays(programFolder));
    } catch (const std::exception&) {
        return {};  // another writer holds the lock, or the folder cannot be locked: try at the next start
    }
}

}  // namespace tama
