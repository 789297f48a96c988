#include "entry_history.h"

#include <algorithm>
#include <map>
#include <set>

#include "entry/calculations.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"

namespace tama {

std::vector<std::string> EntryHistory::recentMachinesOf(std::string_view type, size_t limit) const {
    std::vector<std::string> names;
    for (const auto& [t, name] : recentMachines)
        if (t == type && names.size() < limit) names.push_back(name);
    return names;
}

EntryHistory loadEntryHistory(const RecordStore& store, std::string_view user, size_t limit) {
    EntryHistory h;
    std::error_code ec;
    if (!userNameProblem(user).empty() || !fs::is_directory(store.UserFolder(user), ec)) return h;

    // "s2004.sdb" -> 2004; files whose name holds no year are not YearFiles.
    std::vector<std::pair<long long, std::string>> files;
    for (const std::string& name : store.yearFileNames(user)) {
        const std::string_view year = std::string_view(name).substr(1, name.size() - 5);
        if ((name[0] != 's' && name[0] != 'S') || year.empty() || year.size() > 9 || !entry::isDigitsOnly(year))
            continue;
        files.emplace_back(std::stoll(std::string(year)), name);
    }
    std::stable_sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    std::set<std::string> halls;
    std::set<std::pair<std::string, std::string>> machines;
    std::map<std::string, size_t> machinesPerType;
    auto known = [&](std::string_view name) { return !name.empty() && name != kUnknownName; };
    auto enough = [&] {
        if (!h.latest || h.recentHalls.size() < limit || machinesPerType.size() < kEntryTypeOrder.size()) return false;
        return std::all_of(machinesPerType.begin(), machinesPerType.end(),
                           [&](const auto& t) { return t.second >= limit; });
    };
    for (const auto& [year, name] : files) {
        if (enough()) break;
        std::vector<DailyRecord> records;
        try {
            records = readYearFile(store.UserFolder(user) / name);
        } catch (const std::exception& e) {
            h.problems.push_back(e.what());
            continue;
        }
        // Newest first: by date descending, and within a date the later line first.
        std::reverse(records.begin(), records.end());
        std::stable_sort(records.begin(), records.end(),
                         [](const DailyRecord& a, const DailyRecord& b) { return a.DateKey > b.DateKey; });
        for (DailyRecord& r : records) {
            if (known(r.Holl) && h.recentHalls.size() < limit && halls.insert(r.Holl).second)
                h.recentHalls.push_back(r.Holl);
            if (known(r.Kisyu) && machinesPerType[r.K_type] < limit && machines.insert({r.K_type, r.Kisyu}).second) {
                ++machinesPerType[r.K_type];
                h.recentMachines.emplace_back(r.K_type, r.Kisyu);
            }
        }
        if (!h.latest && !records.empty()) h.latest = std::move(records.front());
    }
    return h;
}

}  // namespace tama
