#pragma once
// The analysis search without a window: every YearFile of one user read in
// name order, each record tested against the selector texts (hall, machine
// number, machine type, machine, period), and the matching records kept in
// read order as MatchedRecords. The analysis window, tamalog-cli analysis and
// the analysis workbooks all read this result.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "storage/daily_record.h"
#include "storage/master_lists.h"

namespace tama {

// The texts of the selectors that switch a filter off: kAllHalls, kAllTypes and
// kAllMachines (storage/master_lists.h), and this one for the machine number.
inline constexpr std::string_view kAllNumbers = "全番号対象";

// The entries of the machine type selector, "全ﾀｲﾌﾟ対象" first.
inline constexpr std::array<std::string_view, 8> kTypeSelectorEntries = {
    "全ﾀｲﾌﾟ対象", "ＣＲ機", "時短機", "権利物", "一般電役", "ハネモノ", "スロット", "その他"};

// What one search asks for: the selector texts exactly as they stand.
struct SearchCriteria {
    std::string user;
    // Start S and end E of the period as "yyyy/mm/dd" (typedDate of
    // shared/calendar.h reads what the six period boxes hold); compared as texts
    // with DateKey, which is date order for these.
    std::string from;
    std::string to;
    bool allPeriod = false;  // "全ての期間" ticked: the period is not applied
    std::string hall{kAllHalls};
    std::string number{kAllNumbers};
    std::string type{kAllTypes};
    std::string machine{kAllMachines};
    // Text the record's comment (Come) must contain; empty: any comment. It is
    // compared in the form the files store it (storedForm: "〜" finds "～").
    std::string comment;
};

// One matched record: the eleven fields the tables read, as stored, and the
// figures read from them once when the record is taken in.
struct MatchedRecord {
    std::string date;      // DateKey
    std::string weekday;   // Youbi
    std::string hall;      // Holl
    std::string type;      // K_type
    std::string machine;   // Kisyu
    std::string number;    // K_no
    std::string playTime;  // T_tim
    std::string balance;   // Syusi
    std::string moneyIn;   // Tousi
    std::string moneyOut;  // Kaisyu

    // Figures as the ordinary numeric conversion reads the texts (thousands
    // separators and sign allowed); 0 for a text that is not a number.
    double balanceValue = 0;
    double playTimeValue = 0;
    double moneyInValue = 0;
    double moneyOutValue = 0;
    bool balanceIsNumber = false;
    bool playTimeIsNumber = false;
    int weekdayNumber = 0;  // 1 "月" .. 7 "日"; 0 for any other text
    // The first 16 bytes of the date, big-endian, zero padded: compares as the text does.
    std::uint64_t dateOrderHigh = 0, dateOrderLow = 0;
};

// The records matched by the last search, in read order, and the number of
// record lines read (matching or not).
struct MatchedRecords {
    std::vector<MatchedRecord> records;
    std::int64_t totalLines = 0;
    // Damaged YearFiles left out of the search: one text per file naming the
    // file and the line; empty when every file was read.
    std::vector<std::string> skippedFiles;

    int n() const { return static_cast<int>(records.size()); }
    const MatchedRecord& record(int i) const { return records.at(static_cast<size_t>(i - 1)); }  // 1-based

    // add: takes a record in as number n + 1 (its texts are moved out).
    void add(DailyRecord&& r);
};

// Four "0"/"1" characters for hall, number, type and machine: "1" where the
// selector's text is neither its pseudo entry nor empty (an empty box selects
// all: no record holds an empty name or number).
std::string FilterKey(const SearchCriteria& c);

// Whether a record passes every active filter and, unless allPeriod, lies
// within from <= DateKey <= to (text comparison, both bounds included). Every
// comparison is exact: no trimming, no numeric reading ("07" is not "7"). The
// comment is looked for as given: loadRecords brings it to its stored form first.
bool matchesCriteria(const DailyRecord& r, const SearchCriteria& c);

// loadRecords: reads every YearFile of the user (Data/<user>/*.sdb in name order)
// under `programFolder`, counting every record line, and keeps the matching
// records. A user name that cannot name a folder, a missing user folder or a
// user without YearFiles give no records and a total of 0. A damaged file is
// left out whole and named in skippedFiles; the other files are still read.
MatchedRecords loadRecords(const std::filesystem::path& programFolder, const SearchCriteria& c);

// lblDbno's text: "該当データ件数  12 件  /  総データ件数  340 件".
std::string countLabelText(std::int64_t matched, std::int64_t total);

// "yyyy/mm/dd" of year, month and day texts as the six period boxes compose them.
std::string periodText(std::string_view year, std::string_view month, std::string_view day);

// The message for a period bound that is no date; `which` is "開始" or "終了":
// 「期間の開始「2003/13/1」は日付ではありません。…」.
std::string notADateMessage(std::string_view which, std::string_view text);

}  // namespace tama
