#pragma once
// The one result type of the analysis tables: the heading row (texts, widths,
// alignments) and the data rows in display order, each cell with its text,
// text colour, background and alignment. The analysis window shows it, tamalog-cli
// analysis prints it and the analysis workbooks write it.
//
// The daily list (tab 0) can hold a hundred thousand rows; its cells are made
// from the matched records when they are read, so building or sorting it costs
// no text formatting. Every other table holds its cells.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/search.h"
#include "shared/row_order.h"
#include "shared/table_style.h"

namespace tama {

// The tabs of the analysis window, in order.
enum class AnalysisTab { Daily = 0, Monthly, Yearly, MonthlyWeekday, YearlyWeekday, ByHall, ByMachine };
inline constexpr int kAnalysisTabCount = 7;
inline constexpr std::array<std::string_view, kAnalysisTabCount> kAnalysisTabCaptions = {
    "日間収支", "月間収支", "年間収支", "月間曜日別収支", "年間曜日別収支", "ホール別収支", "機種別収支"};

class AnalysisTable {
public:
    AnalysisTable() = default;

    // A table that holds its rows (tabs 1 to 6).
    AnalysisTable(AnalysisTab tab, std::vector<TableColumn> columns);
    // The daily list over `records`, rows in read order until sorted.
    AnalysisTable(std::shared_ptr<const MatchedRecords> records, std::vector<TableColumn> columns);

    AnalysisTab tab() const { return tab_; }
    const std::vector<TableColumn>& columns() const { return columns_; }
    int columnCount() const { return static_cast<int>(columns_.size()); }
    // Data rows, the heading row not counted.
    int rowCount() const;

    // The cell of data row `row` (0 = the first row under the headings) and `column`.
    TableCell cell(int row, int column) const;
    std::string text(int row, int column) const { return cell(row, column).text; }

    // Appends a data row (tables that hold their rows).
    void addRow(std::vector<TableCell> cells);

    // For a daily list: the 1-based index in MatchedRecords shown on `row`.
    int recordIndex(int row) const;

    // Sorts all data rows by one column, keeping rows that compare equal in their
    // order; each row keeps its colours.
    void sortRows(int column, SortMode mode);

    // A click on a heading: column 0 sorts as text, the others generic; descending
    // when `headerSortDescending` is 0 (which then becomes 1), ascending otherwise
    // (which then becomes 0). The window keeps one flag for all tabs and columns.
    void sortOnHeadingClick(int column, int& headerSortDescending);

    // The heading row and then every data row, cells joined by TAB, one line each
    // ending in "\n": what tamalog-cli analysis prints.
    std::string toTsv() const;

private:
    void sortDaysByDate(bool descending);

    AnalysisTab tab_ = AnalysisTab::Daily;
    std::vector<TableColumn> columns_;
    std::vector<std::vector<TableCell>> rows_;       // tables that hold their rows
    std::shared_ptr<const MatchedRecords> records_;  // daily list
    std::vector<std::int32_t> order_;                // daily list: record position (0-based) per row
};

}  // namespace tama
