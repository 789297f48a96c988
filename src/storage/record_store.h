#pragma once
// The record store: where a user's files lie under the program folder, the
// YearFiles of daily records (Data/<user>/s<year>.sdb) and the yearly totals
// (Data/<user>/Year.txt). Every file is CP932 text with CR LF line ends.
//
// Reads throw FileError naming the file and line when a file cannot be read as
// what it should be; an operation that rewrites a file always reads it first,
// so a file that could not be fully read is never rewritten.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "daily_record.h"
#include "shared/file_io.h"

namespace tama {

// The records of one YearFile of one user, in file order. Indexes used by the
// windows (MonthFirst, CurIndex) are 1-based: record(1) is the first line.
struct YearRecordList {
    std::string user;
    std::string year;
    std::vector<DailyRecord> records;
    // Fingerprint of the file as it was loaded; a rewrite from this list is
    // refused when the file has changed since (another program, another window).
    std::uint64_t loadedFingerprint = 0;

    int count() const { return static_cast<int>(records.size()); }
    DailyRecord& record(int index) { return records.at(static_cast<size_t>(index - 1)); }
    const DailyRecord& record(int index) const { return records.at(static_cast<size_t>(index - 1)); }
};

// One line of Year.txt.
struct YearTotal {
    std::string year;
    std::int64_t total = 0;
    bool operator==(const YearTotal&) const = default;
};

// Why a user name cannot be used as a folder under Data, or an empty text when it can.
// Refused: empty, ".", "..", path separators, control characters, text that is not
// valid UTF-8 or cannot be written in CP932.
std::string userNameProblem(std::string_view name);

// A new user name (added or renamed to) is at most this many bytes in CP932:
// 32 full-width or 64 half-width characters. Even as UTF-8 on disk (up to three
// bytes for each CP932 byte) such a folder name stays far below the 255 bytes a
// file system allows for one name.
inline constexpr size_t kUserNameMaxBytes = 64;

// userNameProblem, and for a name longer than kUserNameMaxBytes the message
// "利用者名が長すぎます。全角32文字（半角64文字）以内にして下さい。". Only new
// names are held to the length: a longer folder made elsewhere is still read.
std::string newUserNameProblem(std::string_view name);

// Sorts keys[1..n] ascending by selection sort and applies the same swaps to
// companions. The spans are 0-based views of the 1-based arrays (keys[0] is key 1).
// For i = 1..n the first smallest of keys i..n is swapped to i, so records of equal
// key come out in the order this procedure gives, not in input order.
void sortByKey(std::span<std::int32_t> keys, std::span<std::int32_t> companions);

// The order sortByKey puts items with these keys in: the 0-based input
// positions, first item first.
std::vector<std::int32_t> orderByKey(std::vector<std::int32_t> keys);

// Why a year text cannot name a YearFile, or an empty text when it can. Refused:
// path separators, double quotes and control characters (the year becomes part of a
// file name and is written in quotes into Year.txt).
std::string yearTextProblem(std::string_view year);

// The year's balance total in yen, as Year.txt holds it: the records' 収支金額
// summed (a text that is no number counts 0), or nothing when the sum leaves
// the 64-bit range.
std::optional<std::int64_t> yearBalanceTotal(const std::vector<DailyRecord>& records);

// What is wrong with a record as read from a YearFile of `fileYear` (empty: the
// year is not checked): its year differs from the file's, DateKey disagrees with
// Nen/Tuki/Hi, the date is not in the calendar, Youbi is no weekday name,
// DayFirst is neither "1" nor "2", Syusi is not a number, or a field holds a NUL
// byte. Empty when the record is sound. The texts are the problems as
// `tamalog-cli check` lists them.
std::vector<std::string> recordProblems(const DailyRecord& r, std::string_view fileYear);

// Reads the records of one YearFile (missing file: none). Blank lines are skipped.
// Throws FileError naming the file and line for a line that is not 24 quoted
// fields or bytes that are not CP932.
std::vector<DailyRecord> readYearFile(const fs::path& path, std::uint64_t* fingerprint = nullptr);

// The records held by the bytes of a YearFile; `path` only names the file in errors.
// Same rules as readYearFile.
std::vector<DailyRecord> decodeYearFile(std::string_view bytes, const fs::path& path);

// Hands each record of the bytes of a YearFile to `take`, in file order, in one
// reused DailyRecord whose texts `take` may move out. Same rules as
// readYearFile; a FileError may come after some records have been handed over.
void forEachYearRecord(std::string_view bytes, const fs::path& path, const std::function<void(DailyRecord&)>& take);

// decodeYearFile, refusing (FileError naming the file and line) a record with a
// problem that recordProblems finds for the year `fileYear`.
std::vector<DailyRecord> decodeSoundYearFile(std::string_view bytes, const fs::path& path, std::string_view fileYear);

// The bytes of a YearFile holding these records (CP932, CR LF). Throws FileError
// naming `path` and the record's line when a field cannot be written in CP932 or
// holds a double quote, CR or LF (the line could not be read back).
std::string encodeYearFile(const std::vector<DailyRecord>& records, const fs::path& path);

// The fingerprint a YearRecordList keeps of the file bytes it was loaded from.
std::uint64_t yearFileFingerprint(std::string_view bytes);

// The order of a YearFile after an insert: by the date key Nen+Tuki+Hi, equal
// keys as sortByKey leaves them.
std::vector<DailyRecord> sortedByDate(std::vector<DailyRecord> records);

// The records left by a delete's pass over the list without record `index`
// (1-based): the first later record of the same date with DayFirst "2" becomes
// "1" when the removed one was "1". Throws std::out_of_range for a bad index.
std::vector<DailyRecord> recordsWithout(const YearRecordList& list, int index);

// The present state of a YearFile: its path, bytes (nothing when missing) and records.
struct YearFileContent {
    fs::path path;
    std::optional<std::string> bytes;
    std::vector<DailyRecord> records;
};

class SaveBatch;

class RecordStore {
public:
    explicit RecordStore(fs::path programFolder);

    const fs::path& programFolder() const { return programFolder_; }

    // program folder / Data (found without regard to letter case).
    fs::path dataFolder() const;

    // Data/<user>/. Throws std::invalid_argument when the name is refused by userNameProblem.
    fs::path userFolder(std::string_view user) const;

    // The user's YearFile of a year: found without regard to case, else Data/<user>/s<year>.sdb.
    // Throws std::invalid_argument when the user name or the year text is refused.
    fs::path yearFilePath(std::string_view user, std::string_view year) const;

    // Data/<user>/Year.txt (found without regard to case).
    fs::path yearTotalPath(std::string_view user) const;

    // Every record of the user's YearFile of that year; a missing file gives an empty list.
    YearRecordList loadYear(std::string_view user, std::string_view year) const;

    // Whether the list's YearFile no longer holds what the list was loaded from
    // (another writer saved into it); a file that cannot be read counts as changed.
    bool changedOnDisk(const YearRecordList& list) const;

    // The steps of the save commands (登録, 修正, 削除), staged into one SaveBatch:
    // nothing is written before the batch commits, and each file is read once.
    // Every file is rewritten whole (never appended to in place), so a full disk
    // leaves the old file whole; a user name or year text that would leave the
    // Data folder throws std::invalid_argument.
    //
    // The YearFile of a year as it is now. Throws FileError when the user folder is
    // missing, and, naming the file and line, when a record has a problem that
    // recordProblems finds: a writer never rewrites a damaged file.
    YearFileContent readYearContent(std::string_view user, std::string_view year) const;
    // A new record into its YearFile (created when missing): fills record.DayFirst
    // ("2" when the file already holds a record of that month and day, else "1"),
    // adds the record and, when the file then holds two or more records, puts them
    // in date order (sortedByDate). Stages the file; returns its records after the
    // insert. Throws FileError for a field that cannot be written (encodeYearFile).
    std::vector<DailyRecord> stageInsert(SaveBatch& batch, std::string_view user, DailyRecord& record);
    // Stages the list's YearFile holding `records`; refused (FileError) when the file
    // has changed since the list was loaded. Returns the new bytes.
    std::string stageYearRewrite(SaveBatch& batch, const YearRecordList& list, const std::vector<DailyRecord>& records);
    // The year's total from the YearFile's records as they will be, into Year.txt:
    // the year's line replaced or added, the lines sorted by year. Throws FileError
    // when the sum leaves the 64-bit range. Returns the total, yen.
    std::int64_t stageYearTotal(SaveBatch& batch, std::string_view user, std::string_view year,
                                const std::vector<DailyRecord>& records);

    // The lines of Year.txt in file order (missing file: none).
    std::vector<YearTotal> loadYearTotals(std::string_view user) const;

    // Names of the user's *.sdb files (any letter case), sorted by name.
    std::vector<std::string> yearFileNames(std::string_view user) const;

    // User folder names under Data, sorted by name ("." and ".." never appear).
    std::vector<std::string> userNames() const;

private:
    fs::path programFolder_;
};

}  // namespace tama
