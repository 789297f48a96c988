#pragma once
// The spreadsheet layer: one worksheet held as texts and cell styles, written
// as a real .xlsx file through libxlsxwriter.
//
// The export writers put texts into cells, as a user types them into a
// spreadsheet, and the texts are stored the way a spreadsheet stores typed
// input: a date "yyyy/mm/dd" becomes a date, a number text (sign, thousands
// separators, decimal point, spaces around) becomes a number, anything else
// stays text. A figure with a unit ("8.0 h", "55,000 円 ") becomes a number
// when its cell's number format shows exactly that text for it (0.0" h"), so a
// spreadsheet can add it up while the page shows what the window shows. Styles
// are set on ranges, later settings adding to earlier ones, as the writers
// describe a sheet step by step.
//
// A sheet too large to hold (the daily analysis list) takes its rows from a
// function while the file is written; the file is written in the library's
// constant-memory mode, row by row through a temporary file that is unlinked as
// soon as it is made.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama::xlsx {

namespace fs = std::filesystem;

// A block of cells, 0-based rows and columns, both ends included.
struct Range {
    int firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
};
// One cell as a range.
inline Range cell(int row, int col) { return {row, col, row, col}; }

enum class HAlign : std::uint8_t { General, Left, Center, Right };

// The look of a cell. The default is the workbook's standard font with no fill,
// border or number format.
struct Style {
    std::string font = "ＭＳ Ｐゴシック";
    double size = 11;
    bool bold = false;
    std::optional<std::uint32_t> fill;  // 0xRRGGBB
    HAlign align = HAlign::General;
    std::string numberFormat;  // file form ("#,##0;[Red]-#,##0"); empty: General
    bool border = false;       // thin continuous line on all four sides

    bool operator==(const Style&) const = default;
};

// What one styling step changes; unset parts are kept.
struct StylePatch {
    std::optional<std::string> font{};
    std::optional<double> size{};
    std::optional<bool> bold{};
    std::optional<std::uint32_t> fill{};
    std::optional<HAlign> align{};
    std::optional<std::string> numberFormat{};  // local form; stored in file form
    std::optional<bool> border{};
};

// RGB(r, g, b) as 0xRRGGBB.
constexpr std::uint32_t rgb(int r, int g, int b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

struct PageSetup {
    int paper = 9;  // A4
    bool landscape = false;
    std::optional<Range> printArea;
    std::string leftHeader, rightHeader;            // header codes as the spreadsheet takes them ("&A" the sheet name)
    std::optional<std::pair<int, int>> repeatRows;  // first and last row printed on every page
    bool fitOnePageWide = false;                    // scaled down so that every column fits the page's width
    // Margins in inches.
    double top = 0.75, left = 0.7, right = 0.7, bottom = 0.75, header = 0.3;
};

// How a text is stored in a cell.
struct CellValue {
    enum class Kind { Empty, Text, Number, Date } kind = Kind::Empty;
    double number = 0;                 // Number
    int year = 0, month = 0, day = 0;  // Date
};
// The typing rule above, for one text.
CellValue typeOf(std::string_view text);
// The same for a text in a cell with the number format `fileFormat` (file
// form): a text that is not a number by itself is a number when the format
// shows exactly that text for it.
CellValue typeOf(std::string_view text, std::string_view fileFormat);

// The text a number format (file form) shows for `value`, for the formats the
// writers use: "0", "#", "," and "." placeholders, quoted or plain literals,
// colours such as "[Red]", up to three sections (positive; negative; zero).
// Nothing for a format outside that set.
std::optional<std::string> formatNumber(double value, std::string_view fileFormat);

// The width of a text in the character units of column widths: a full-width
// character takes two, ASCII and half-width katakana one.
double textWidth(std::string_view text);

// A number format in the local form (colour names in Japanese, "[赤]") in the
// form a workbook file holds ("[Red]").
std::string fileNumberFormat(std::string_view local);

class Sheet {
public:
    explicit Sheet(std::string name);

    const std::string& name() const { return name_; }

    // The text of a cell; "" leaves the cell empty. A streamed row's text is
    // made when read and stays valid until another streamed row is read.
    void setText(int row, int col, std::string text);
    const std::string& text(int row, int col) const;

    // Applies a styling step to every cell of the range.
    void style(const Range& range, const StylePatch& patch);
    const Style& styleAt(int row, int col) const;

    // Merges the cells of a range within one row (rows are written one after the other).
    void merge(const Range& range);
    const std::vector<Range>& merges() const { return merges_; }

    // Column width in characters.
    void setColumnWidth(int col, double characters);
    const std::vector<double>& columnWidths() const { return widths_; }  // 0: default width

    // Widens the columns `cols` (all when empty) as the file is written so that
    // the widest text of rows `fromRow` on fits with a margin, also in a
    // spreadsheet whose substitute fonts run wider; a set width is never narrowed.
    void fitColumns(int fromRow, std::vector<int> cols = {});
    // The width a column needs to print `text` whole (without "###").
    static double fittedWidth(std::string_view text);

    // Rows made while the file is written, for sheets too large to hold: rows
    // first .. first + count - 1 get the `cols` texts that `fill` puts into
    // `texts` for them. Their cells are styled by column: a styling step covers
    // all of these rows or none of them.
    using RowFill = std::function<void(int row, std::vector<std::string>& texts)>;
    void streamRows(int first, int count, int cols, RowFill fill);

    const std::optional<int>& fitFrom() const { return fitFrom_; }
    bool fits(int col) const;

    PageSetup& page() { return page_; }
    const PageSetup& page() const { return page_; }

    int rowCount() const;
    int columnCount(int row) const;

    // Reserves room for `rows` rows of `cols` cells (large sheets).
    void reserve(int rows, int cols);

    const std::vector<Style>& styles() const { return styles_; }
    std::uint16_t styleId(int row, int col) const;

private:
    struct Cell {
        std::string text;
        std::uint16_t style = 0;
    };
    struct Stream {
        int first = 0, count = 0, cols = 0;
        RowFill fill;
        std::vector<std::uint16_t> styles;  // per column
        bool holds(int row) const { return count > 0 && row >= first && row < first + count; }
    };
    Cell& at(int row, int col);
    std::uint16_t internStyle(const Style& s);
    std::uint16_t patched(std::uint16_t id, const StylePatch& patch, const std::optional<std::string>& format,
                          std::map<std::uint16_t, std::uint16_t>& mapped);

    std::string name_;
    std::vector<std::vector<Cell>> rows_;
    std::vector<Style> styles_;
    std::vector<Range> merges_;
    std::vector<double> widths_;
    PageSetup page_;
    int reserveCols_ = 0;
    Stream stream_;
    std::optional<int> fitFrom_;
    std::vector<int> fitCols_;
    // The last streamed row read through text(), kept for the following reads.
    mutable int cachedRow_ = -1;
    mutable std::vector<std::string> cachedTexts_;
};

// Called while a workbook is written with the rows done and the rows in all;
// returning false stops the writing.
using ProgressFn = std::function<bool(long done, long total)>;

// The writing was stopped by the progress function; no file was left behind.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("中止しました") {}
};

// Refuses a target that exists and is not a regular file (a link, a folder, a
// FIFO, a device): throws tama::FileError naming it, and nothing is touched.
void checkWorkbookTarget(const fs::path& target);

// Writes the sheet as a workbook of one worksheet to `target`. The file appears
// complete or not at all: it is written beside the target under a hidden
// temporary name that the start-up clean-up of leftover temporaries knows
// (".<name>.tmp~XXXXXX"), then renamed. The library's row file lies in
// `scratchFolder` (the program's Temp; the target's folder when empty) and is
// unlinked as soon as it is made, so no path leaves it behind. Throws
// tama::FileError when it cannot be written or the target is not a regular
// file, Cancelled when stopped.
void saveWorkbook(const Sheet& sheet, const fs::path& target, const ProgressFn& progress = {},
                  const fs::path& scratchFolder = {});

// The program folder's Temp, where the writer's row file goes: empty (the
// target's folder then) when there is no such real folder.
fs::path scratchFolderOf(const fs::path& programFolder);

// A name for a new workbook named after its sheet in `folder`: "<name>.xlsx",
// or "<name> (2).xlsx", "<name> (3).xlsx" ... when that is taken, so that a
// workbook the user still has open is never overwritten. Characters that
// cannot stand in a file name become "_".
fs::path freeWorkbookPath(const fs::path& folder, std::string_view sheetName);

}  // namespace tama::xlsx
