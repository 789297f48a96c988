#pragma once
// The entry form's three commands without the window: save a new record
// (登録), update the shown record (修正) and delete it (削除). Each runs its checks
// first and then the store and list steps in the form's order. The window and
// tamalog-cli add both call these, so a record saved from either is the same.
//
// Each command stages every file it changes into one SaveBatch (the store's
// stageInsert / stageYearRewrite / stageYearTotal, the lists' addToHallList /
// addToMachineList) and commits them together: all files change or none does.
// File problems (a missing user folder, a damaged or unwritable file) are
// thrown as FileError, whose message then says that nothing was saved; a
// refused user name as std::invalid_argument. The store never rewrites a file
// it could not read whole.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "entry/entry_model.h"
#include "storage/daily_record.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"

namespace tama {

struct SaveResult {
    std::optional<SaveRefusal> refusal;  // a check failed: nothing was written
    DailyRecord record;                  // the record as written (DayFirst filled in)
    std::int64_t yearTotal = 0;          // the year's total now in Year.txt, yen
    // The balance of the saved record's month before and after the save, yen
    // (the monthly budget's notice compares them).
    std::int64_t monthBalanceBefore = 0;
    std::int64_t monthBalanceAfter = 0;

    bool saved() const { return !refusal; }
};

// The date of a new record must name a real day with a four-digit year: the year
// names the YearFile (s<year>.sdb) and the month and day place the record in a
// month. Refusal "日付を正しく入力して下さい。（年は西暦4桁）", title "入力ｴﾗｰ発生",
// focus on the first wrong date box; nothing when the date is sound.
std::optional<SaveRefusal> checkNewRecordDate(const EntryModel& model);

// The balance of the records of one month (Tuki equal to `month`), yen, summed
// as the monthly summary sums it: each Syusi read as a whole number (a text
// that is not a number counts 0), sums stopping at the 64-bit limit.
std::int64_t monthBalance(const std::vector<DailyRecord>& records, std::string_view month);

// 登録: a user whose folder exists (else a refusal, kNoUser without a name or
// one naming the user whose folder is gone: nothing to save into), the save
// checks (EntryModel::checkSave, then the date check), then in one batch:
// stageInsert of the record built from the boxes (its DayFirst, the YearFile in
// date order), addToHallList (cboHoll text), addToMachineList (cboK_type,
// cboKisyu texts) and stageYearTotal for the record's year. The caller runs the
// model's tick beforehand (the form's timer does) and reloads its views
// afterwards.
SaveResult saveNewRecord(RecordStore& store, MasterLists& lists, std::string_view user, const EntryModel& model);

// 修正: the save checks, then fields 5-19 of record `curIndex` (1-based) of the
// list are replaced by the values built from the boxes (the date of a stored
// record never changes; DayFirst and the reserved fields stay), and in one
// batch stageYearRewrite of the list's YearFile (refused when the file changed
// since the list was loaded) and stageYearTotal for the list's year. On a
// refusal or a failed write the list keeps its old record. Throws
// std::out_of_range for an index outside the list.
SaveResult updateRecord(RecordStore& store, YearRecordList& list, int curIndex, const EntryModel& model);

// 削除 (after the user has confirmed): in one batch, the list's YearFile without
// record `index` (1-based; recordsWithout: the next record of its date with
// DayFirst "2" becomes "1" when the removed one was "1") and stageYearTotal for
// the list's year; the list changes only once the files hold the change. Throws
// std::out_of_range for an index outside the list. Returns the new total, yen.
std::int64_t deleteRecord(RecordStore& store, YearRecordList& list, int index);

}  // namespace tama
