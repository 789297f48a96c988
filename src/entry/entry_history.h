#pragma once
// What the entry form offers from a user's past records: the latest record by
// date ("前回と同じ") and the hall and machine names used most recently, which
// the drop-downs list above the stored lists. Read from the YearFiles; the
// list files are not touched.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/daily_record.h"

namespace tama {

class RecordStore;

struct EntryHistory {
    // The user's latest record: the latest DateKey of the newest YearFile that
    // holds records, the last such line in file order when a date has several.
    std::optional<DailyRecord> latest;
    // Hall names, most recently used first, each once; "（不明）" and empty names
    // are left out.
    std::vector<std::string> recentHalls;
    // (machine type, machine name) pairs in the same order.
    std::vector<std::pair<std::string, std::string>> recentMachines;
    // YearFiles that could not be read (file and line): they are left out.
    std::vector<std::string> problems;

    // The names of one machine type among recentMachines, at most `limit`.
    std::vector<std::string> recentMachinesOf(std::string_view type, size_t limit) const;
};

// Reads the user's YearFiles from the newest year back until `limit` halls,
// `limit` machines of every type and the latest record are known (or every file
// is read). A missing user folder gives an empty history.
EntryHistory loadEntryHistory(const RecordStore& store, std::string_view user, size_t limit = 10);

}  // namespace tama
