#include "entry_history.h"

#include <algorithm>

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
    if (!userNameProblem(user).empty() || !fs::is_directory(store.userFolder(user), ec)) return h;

    // "s2004.sdb" -> 2004; files whose name holds no year are not YearFiles.
    std::vector<std::pair<long long, std::string>> files;
    for (const std::string& name : store.yearFileNames(user)) {
        const std::string_view year = std::string_view(name).substr(1, name.size() - 5);
        if ((name[0] != 's' && name[0] != 'S') || year.empty() || year.size() > 9 || !entry::isDigitsOnly(year))
            continue;
        files.emplace_back(std::stoll(std::string(year)), name);
    }
    std::stable_sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    // Names already taken, per machine type; at most `limit` each, so a linear
    // look-up is cheaper than building keys for every record read.
    std::vector<std::pair<std::string, std::vector<std::string>>> machinesByType;
    auto typeEntry = [&](const std::string& type) -> std::vector<std::string>& {
        for (auto& [t, names] : machinesByType)
            if (t == type) return names;
        return machinesByType.emplace_back(type, std::vector<std::string>{}).second;
    };
    auto taken = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    auto known = [](std::string_view name) { return !name.empty() && name != kUnknownName; };
    auto enough = [&] {
        if (!h.latest || h.recentHalls.size() < limit || machinesByType.size() < kEntryTypeOrder.size()) return false;
        return std::all_of(machinesByType.begin(), machinesByType.end(),
                           [&](const auto& t) { return t.second.size() >= limit; });
    };
    for (const auto& [year, name] : files) {
        if (enough()) break;
        std::vector<DailyRecord> records;
        try {
            records = readYearFile(store.userFolder(user) / name);
        } catch (const std::exception& e) {
            h.problems.push_back(e.what());
            continue;
        }
        // Newest first: by date descending, and within a date the later line first.
        std::vector<size_t> order(records.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = order.size() - 1 - i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return records[a].DateKey > records[b].DateKey; });
        for (size_t i : order) {
            const DailyRecord& r = records[i];
            if (h.recentHalls.size() < limit && known(r.Holl) && !taken(h.recentHalls, r.Holl))
                h.recentHalls.push_back(r.Holl);
            if (!known(r.Kisyu)) continue;
            std::vector<std::string>& names = typeEntry(r.K_type);
            if (names.size() < limit && !taken(names, r.Kisyu)) {
                names.push_back(r.Kisyu);
                h.recentMachines.emplace_back(r.K_type, r.Kisyu);
            }
        }
        if (!h.latest && !order.empty()) h.latest = std::move(records[order.front()]);
    }
    return h;
}

}  // namespace tama
