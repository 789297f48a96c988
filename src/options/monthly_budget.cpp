#include "monthly_budget.h"

#include <cmath>

#include "shared/number_format.h"

namespace tama {

BudgetText readBudgetText(std::string_view text) {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    const auto v = parseNumber(text);
    if (!v || *v < 0 || *v != std::floor(*v) || *v > static_cast<double>(kMaxBudget)) return {false, std::nullopt};
    const auto yen = static_cast<std::int64_t>(*v);
    if (yen == 0) return {};
    return {true, yen};
}

std::optional<std::int64_t> readMonthlyBudget(const SettingsFile& settings) {
    return readBudgetText(settings.read(kBudgetSection, kBudgetKey)).yen;
}

std::string budgetStoredText(std::optional<std::int64_t> yen) { return yen ? std::to_string(*yen) : std::string(); }

std::int64_t budgetRemainder(std::int64_t budget, std::int64_t monthBalance) {
    std::int64_t r = 0;
    // Only a damaged month's sums reach the 64-bit limit; they stop there.
    if (__builtin_add_overflow(budget, monthBalance, &r)) r = monthBalance > 0 ? INT64_MAX : INT64_MIN;
    return r;
}

BudgetLine budgetLine(std::int64_t budget, std::int64_t monthBalance) {
    const std::int64_t r = budgetRemainder(budget, monthBalance);
    return {formatGrouped(static_cast<double>(r)) + " 円 ", r < 0 ? kRgbRed : kRgbBlack};
}

std::optional<std::string> budgetExceededNotice(std::optional<std::int64_t> budget, std::int64_t balanceBefore,
                                                std::int64_t balanceAfter) {
    if (!budget) return std::nullopt;
    const std::int64_t before = budgetRemainder(*budget, balanceBefore);
    const std::int64_t after = budgetRemainder(*budget, balanceAfter);
    if (before < 0 || after >= 0) return std::nullopt;
    return "今月の予算を超えました（" + formatGrouped(static_cast<double>(after)) + " 円）";
}

}  // namespace tama
