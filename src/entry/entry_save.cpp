#include "entry/entry_save.h"

#include <stdexcept>
#include <string>

#include "entry/calculations.h"

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
    if (auto refusal = model.checkSave()) return refused(std::move(*refusal));
    if (auto refusal = checkNewRecordDate(model)) return refused(std::move(*refusal));

    SaveResult result;
    result.record = model.buildRecord();
    DailyRecord& rec = result.record;
    // Every file the save goes on to rewrite is read first: a damaged list or
    // Year.txt stops the save before the record is appended, not halfway.
    for (const fs::path& list : {lists.commonHallFile(), lists.userHallFile(user), lists.commonMachineFile(),
                                 lists.userMachineFile(user)})
        readPairFile(list);
    store.LoadYearTotals(user);
    rec.DayFirst = store.DayFirstFor(user, rec.Nen, rec.Tuki, rec.Hi);
    store.AppendRecord(user, rec);
    lists.AddToHallList(user, model.text(Box::cboHoll));
    lists.AddToMachineList(user, model.text(Box::cboK_type), model.text(Box::cboKisyu));
    store.SortYearFile(user, rec.Nen);
    result.yearTotal = store.UpdateYearTotal(user, rec.Nen);
    return result;
}

SaveResult updateRecord(RecordStore& store, YearRecordList& list, int curIndex, const EntryModel& model) {
    if (auto refusal = model.checkSave()) return refused(std::move(*refusal));
    if (curIndex < 1 || curIndex > list.count())
        throw std::out_of_range("updateRecord: index " + std::to_string(curIndex) + " outside 1.." +
                                std::to_string(list.count()));

    DailyRecord& target = list.record(curIndex);
    const DailyRecord old = target;
    const DailyRecord built = model.buildRecord();
    auto to = target.fields();
    auto from = built.fields();
    // Fields 5..19 (Youbi .. Come); the date (1..4), DayFirst and the reserved fields stay.
    for (int i = 4; i < 19; ++i) *to[static_cast<size_t>(i)] = *from[static_cast<size_t>(i)];
    try {
        store.SaveYear(list);
    } catch (...) {
        target = old;
        throw;
    }
    SaveResult result;
    result.record = target;
    result.yearTotal = store.UpdateYearTotal(list.user, list.year);
    return result;
}

std::int64_t deleteRecord(RecordStore& store, YearRecordList& list, int index) {
    store.DeleteFromYear(list, index);
    return store.UpdateYearTotal(list.user, list.year);
}

}  // namespace tama
