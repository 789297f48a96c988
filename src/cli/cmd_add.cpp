// tamalog-cli add FOLDER USER BOX=VALUE ...
// Saves one daily record exactly as the entry form's 登録 does: the form's start
// values (today's date) and its opening recalculation, each given box typed key
// by key in the order given with its keystroke checks and recalculations, then
// the save checks and save steps. A money or machine number value takes
// full-width digits and grouping commas as the form does; a character the form
// refuses there ends the command with exit status 2 before anything is saved.
#include <algorithm>
#include <ctime>
#include <iostream>
#include <string_view>
#include <utility>

#include "command_registry.h"
#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "options/monthly_budget.h"
#include "shared/text_codec.h"
#include "storage/data_folders.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"

namespace tama::cli {
namespace {

constexpr std::string_view kUsage = "add FOLDER USER BOX=VALUE ...";

// The boxes a user types into on the form; the computed ones (lblT_tim,
// txtZikyu, txtSyusi) are not offered.
constexpr Box kTypableBoxes[] = {
    Box::txtNen,    Box::txtTuki, Box::txtHi,     Box::cboYoubi, Box::cboHoll,
    Box::txtZ1_1,   Box::txtZ1_2, Box::txtZ2_1,   Box::txtZ2_2,  Box::txtTousi,
    Box::txtKaisyu, Box::cboK_no, Box::cboK_type, Box::cboKisyu, Box::txtCome,
};

bool isTypable(Box box) {
    return std::find(std::begin(kTypableBoxes), std::end(kTypableBoxes), box) != std::end(kTypableBoxes);
}

std::string typableNames() {
    std::string names;
    for (Box b : kTypableBoxes) names += (names.empty() ? "" : " ") + std::string(boxName(b));
    return names;
}

// The items of a drop-down list box, or an empty list for a box that takes free text.
std::vector<std::string_view> listItems(Box box) {
    if (box == Box::cboYoubi) return {kWeekdayNames.begin(), kWeekdayNames.end()};
    if (box == Box::cboK_type) return {kEntryTypeOrder.begin(), kEntryTypeOrder.end()};
    return {};
}

int usageError(const std::string& why) {
    std::cerr << why << "\n使い方: tamalog-cli " << kUsage << "\n入力欄: " << typableNames() << "\n";
    return 2;
}

CalendarDate today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CalendarDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

int runAdd(const std::vector<std::string>& args) {
    if (args.size() < 2) return usageError("フォルダーと利用者名を指定して下さい。");
    const fs::path folder = args[0];
    const std::string& user = args[1];

    std::vector<std::pair<Box, std::string>> typed;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        size_t eq = arg.find('=');
        if (eq == std::string::npos) return usageError("「" + arg + "」は 入力欄=値 の形ではありません。");
        std::string name = arg.substr(0, eq), value = arg.substr(eq + 1);
        auto box = boxByName(name);
        if (!box || !isTypable(*box)) return usageError("不明な入力欄です: " + name);
        if (!isValidUtf8(value)) return usageError(name + " の値が UTF-8 ではありません。");
        auto items = listItems(*box);
        if (!items.empty() && std::find(items.begin(), items.end(), value) == items.end()) {
            std::string all;
            for (auto item : items) all += " " + std::string(item);
            return usageError(name + " は一覧から選ぶ欄です:" + all);
        }
        typed.emplace_back(*box, std::move(value));
    }

    std::string problem = userNameProblem(user);
    if (!problem.empty()) {
        std::cerr << problem << "\n";
        return 1;
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::cerr << "フォルダーがありません: " << folder.string() << "\n";
        return 1;
    }
    RecordStore store(folder);
    fs::path userFolder = store.userFolder(user);
    if (!fs::is_directory(userFolder, ec)) {
        std::cerr << "利用者「" << user << "」のフォルダーがありません: " << userFolder.string() << "\n";
        return 1;
    }
    // The program folder is real (it holds the user): create the data folders that
    // are missing, as start-up does before the form can open, so that the common
    // lists in CboData can be written. A folder present in another letter case is
    // the one the store uses, so it counts as present here.
    for (std::string_view name : kDataFolders) {
        if (fs::exists(findNoCase(folder, name), ec)) continue;
        fs::create_directory(folder / std::string(name), ec);
        if (ec) throw FileError(folder / std::string(name), 0, "フォルダーを作成できません: " + ec.message());
    }

    // As on the form: the opening recalculation, then each box typed key by key
    // with the recalculation after every key (a rate computed on the way stays
    // when the play time then becomes zero, as it does on the form).
    EntryModel model;
    model.loadStartValues(today());
    model.tick();
    for (const auto& [box, value] : typed) {
        // A drop-down list takes its item whole; an empty value empties the box.
        if (value.empty() || !listItems(box).empty()) {
            model.type(box, value);
            model.tick();
            continue;
        }
        for (size_t n = 1; n <= utf8Length(value); ++n) {
            model.type(box, utf8Prefix(value, n));
            // A character the form refuses at the key is an error here: nothing is saved.
            if (!model.refusal().empty()) {
                std::cerr << boxName(box) << ": " << model.refusal() << "\n";
                return 2;
            }
            model.tick();
        }
    }

    MasterLists lists(folder);
    SaveResult result = saveNewRecord(store, lists, user, model);
    if (result.refusal) {
        std::cerr << result.refusal->message << "\n";
        return 1;
    }
    std::cout << store.yearFilePath(user, result.record.Nen).string() << ": " << formatRecordLine(result.record) << "\n"
              << result.record.Nen << "年の収支合計: " << result.yearTotal << "\n";
    // The monthly budget's notice, as the form shows it; the record is saved.
    const SettingsFile settings(settingsFilePath(folder));
    if (auto notice = budgetExceededNotice(readMonthlyBudget(settings), result.monthBalanceBefore,
                                           result.monthBalanceAfter))
        std::cout << *notice << "\n";
    return 0;
}

const Register kAdd("add", std::string(kUsage), runAdd);

}  // namespace
}  // namespace tama::cli
