#pragma once
// The monthly budget: the most a player means to lose in one month, in yen,
// kept in section "Option" of the settings file. When it is set, the monthly
// summary shows what is left of it (budget + the month's balance), and a save
// that takes the month past it brings one notice. Nothing here refuses a save.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shared/table_style.h"
#include "storage/settings_file.h"

namespace tama {

// Where the budget is kept: section "Option", this key; plain decimal yen.
inline constexpr std::string_view kBudgetSection = "Option";
inline constexpr std::string_view kBudgetKey = "txtYosan.Text";

// The largest budget taken, in yen: well beyond any player's month, and far
// from the 64-bit limit of the sums it is added to.
inline constexpr std::int64_t kMaxBudget = 999'999'999'999;

// A budget text as typed in the options dialog or stored in the settings file.
struct BudgetText {
    bool valid = true;                // false: not a whole number of yen from 0 to kMaxBudget
    std::optional<std::int64_t> yen;  // the budget; nothing when off (empty, spaces or 0)
};
// Reads a budget text: spaces around and thousands separators are allowed
// ("50,000"); an empty text and 0 switch the budget off. A negative figure, a
// fraction, or anything that is not a number is not valid (and off).
BudgetText readBudgetText(std::string_view text);

// The budget of the settings file; nothing when it is off or the stored text is not valid.
std::optional<std::int64_t> readMonthlyBudget(const SettingsFile& settings);
// The text the settings file keeps for a budget: plain digits, or empty when off.
std::string budgetStoredText(std::optional<std::int64_t> yen);

// What is left of the budget after a month's balance (yen): budget + balance.
// A budget of 50,000 and a balance of -32,000 leave 18,000.
std::int64_t budgetRemainder(std::int64_t budget, std::int64_t monthBalance);

// The summary's "予算残り" figure: the remainder formatted "#,##0" followed by
// " 円 ", red when it is below 0, black otherwise.
struct BudgetLine {
    std::string text;
    Rgb colour = kRgbBlack;
};
BudgetLine budgetLine(std::int64_t budget, std::int64_t monthBalance);

// The notice of a save that takes the month past the budget: the remainder was 0
// or more before the save and is below 0 after it. Its text names the remainder
// after the save: 「今月の予算を超えました（-12,000 円）」. Nothing when the budget
// is off, when the month stays within it, or when it was past it already.
std::optional<std::string> budgetExceededNotice(std::optional<std::int64_t> budget, std::int64_t balanceBefore,
                                                std::int64_t balanceAfter);

}  // namespace tama
