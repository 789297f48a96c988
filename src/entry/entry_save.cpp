#include "entry/entry_save.h"

#include <stdexcept>
#include <string>
#include <system_error>

#include "entry/calculations.h"
#include "shared/number_format.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"

namespace tama {

namespace {

SaveResult refused(SaveRefusal refusal) {
    SaveResult r;
    r.refusal = std::move(refusal);
    return r;
}

SaveRefusal badDate(Box focus) {
    return SaveRefusal{std::string(entry::kBadDate), std::string(entry::kInputErrorTitle), focus};
}

int twoDigitValue(const std::string& s) { return (s[0] - '0') * 10 + (s[1] - '0'); }

}  // namespace

std::int64_t monthBalance(const std::vector<DailyRecord>& records, std::string_view month) {
    std::int64_t total = 0;
    for (const DailyRecord& r : records) {
        if (r.Tuki != month) continue;
        const std::int64_t v = wholeInt64(numberOrZero(r.Syusi)).value_or(0);
        if (__builtin_add_overflow(total, v, &total)) total = v > 0 ? INT64_MAX : INT64_MIN;
    }
    return total;
}

std::optional<SaveRefusal> checkNewRecordDate(const EntryModel& model) {
    const std::string& nen = model.text(Box::txtNen);
    if (nen.size() != 4 || !entry::isDigitsOnly(nen) || nen == "0000") return badDate(Box::txtNen);
    std::string tuki = entry::storedMonthDay(model.text(Box::txtTuki));
    if (tuki.size() != 2 || !entry::isDigitsOnly(tuki) || !entry::isRealDate(2000, twoDigitValue(tuki), 1))
        return badDate(Box::txtTuki);
    std::string hi = entry::storedMonthDay(model.text(Box::txtHi));
    if (hi.size() != 2 || !entry::isDigitsOnly(hi) ||
        !entry::isRealDate(std::stoi(nen), twoDigitValue(tuki), twoDigitValue(hi)))
        return badDate(Box::txtHi);
    return std::nullopt;
}

SaveResult saveNewRecord(RecordStore& store, MasterLists& lists, std::string_view user, const EntryModel& model) {
    // Without a user there is no folder to save into: the player is told what to do.
    std::error_code ec;
    if (user.empty())
        return refused(SaveRefusal{std::string(entry::kNoUser), std::string(entry::kInputErrorTitle), Box::cboHoll});
    if (!userNameProblem(user).empty() || !fs::is_directory(store.userFolder(user), ec))
        return refused(SaveRefusal{
            "利用者「" + std::string(user) + "」のフォルダーがありません。" + std::string(entry::kCheckUser),
            std::string(entry::kInputErrorTitle), Box::cboHoll});
    if (auto refusal = model.checkSave()) return refused(std::move(*refusal));
    if (auto refusal = checkNewRecordDate(model)) return refused(std::move(*refusal));

    SaveResult result;
    result.record = model.buildRecord();
    DailyRecord& rec = result.record;
    // Every file's new content is computed and staged first (the YearFile with the
    // record, DayFirst and the sort; both pairs of lists; Year.txt), then all are
    // renamed into place: a damaged or unwritable file stops the save with no
    // file changed.
    SaveBatch batch(store.programFolder());
    commitAllOrNothing(batch, [&] {
        auto records = store.stageInsert(batch, user, rec);
        lists.addToHallList(batch, user, model.text(Box::cboHoll));
        lists.addToMachineList(batch, user, model.text(Box::cboK_type), model.text(Box::cboKisyu));
        result.yearTotal = store.stageYearTotal(batch, user, rec.Nen, records);
        // The month without the new record is the month before the save.
        result.monthBalanceAfter = monthBalance(records, rec.Tuki);
        result.monthBalanceBefore = result.monthBalanceAfter - monthBalance({rec}, rec.Tuki);
    });
    return result;
}

SaveResult updateRecord(RecordStore& store, YearRecordList& list, int curIndex, const EntryModel& model) {
    if (auto refusal = model.checkSave()) return refused(std::move(*refusal));
    if (curIndex < 1 || curIndex > list.count())
        throw std::out_of_range("updateRecord: index " + std::to_string(curIndex) + " outside 1.." +
                                std::to_string(list.count()));

    std::vector<DailyRecord> records = list.records;
    DailyRecord& target = records[static_cast<size_t>(curIndex - 1)];
    const DailyRecord built = model.buildRecord();
    auto to = target.fields();
    auto from = built.fields();
    // Fields 5..19 (Youbi .. Come); the date (1..4), DayFirst and the reserved fields stay.
    for (int i = 4; i < 19; ++i) *to[static_cast<size_t>(i)] = *from[static_cast<size_t>(i)];

    SaveResult result;
    std::string bytes;
    SaveBatch batch(store.programFolder());
    commitAllOrNothing(batch, [&] {
        bytes = store.stageYearRewrite(batch, list, records);
        result.yearTotal = store.stageYearTotal(batch, list.user, list.year, records);
    });
    result.monthBalanceBefore = monthBalance(list.records, target.Tuki);
    result.monthBalanceAfter = monthBalance(records, target.Tuki);
    // The list changes only once the files hold the change.
    result.record = target;
    list.records = std::move(records);
    list.loadedFingerprint = yearFileFingerprint(bytes);
    return result;
}

std::int64_t deleteRecord(RecordStore& store, YearRecordList& list, int index) {
    std::vector<DailyRecord> kept = recordsWithout(list, index);
    std::int64_t total = 0;
    std::string bytes;
    SaveBatch batch(store.programFolder());
    commitAllOrNothing(batch, [&] {
        bytes = store.stageYearRewrite(batch, list, kept);
        total = store.stageYearTotal(batch, list.user, list.year, kept);
    });
    list.records = std::move(kept);
    list.loadedFingerprint = yearFileFingerprint(bytes);
    return total;
}

}  // namespace tama
