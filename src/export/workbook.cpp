#include "workbook.h"

#include <xlsxwriter.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>

#include "shared/file_io.h"
#include "shared/number_format.h"

namespace tama::xlsx {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digits(std::string_view s, size_t pos, size_t n) {
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
}

bool validDate(int y, int m, int d) {
    if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int last = kDays[static_cast<size_t>(m - 1)] + (m == 2 && leap ? 1 : 0);
    return d <= last;
}

}  // namespace

CellValue typeOf(std::string_view text) {
    CellValue v;
    if (text.empty()) return v;
    if (text.size() == 10 && text[4] == '/' && text[7] == '/') {
        bool ok = true;
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) ok = ok && isDigit(text[i]);
        if (ok) {
            const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
            if (validDate(y, m, d)) {
                v.kind = CellValue::Kind::Date;
                v.year = y;
                v.month = m;
                v.day = d;
                return v;
            }
        }
    }
    if (auto n = parseNumber(text)) {
        v.kind = CellValue::Kind::Number;
        v.number = *n;
        return v;
    }
    v.kind = CellValue::Kind::Text;
    return v;
}

namespace {

// One section of a number format: literal text before and after the digit
// placeholders, the decimals, grouping, and the digits always shown before the point.
struct FormatSection {
    std::string prefix, suffix;
    int decimals = 0;
    int minIntegerDigits = 0;
    bool grouping = false;
    bool hasDigits = false;
    bool percent = false;  // the figure shows a hundred times the value
};

std::optional<FormatSection> parseSection(std::string_view f) {
    FormatSection sec;
    bool afterPoint = false, digitsDone = false;
    for (size_t i = 0; i < f.size();) {
        const char c = f[i];
        if (c == '"') {
            const size_t end = f.find('"', i + 1);
            if (end == std::string_view::npos) return std::nullopt;
            (sec.hasDigits ? sec.suffix : sec.prefix) += f.substr(i + 1, end - i - 1);
            if (sec.hasDigits) digitsDone = true;
            i = end + 1;
        } else if (c == '\\' && i + 1 < f.size()) {
            (sec.hasDigits ? sec.suffix : sec.prefix) += f[i + 1];
            if (sec.hasDigits) digitsDone = true;
            i += 2;
        } else if (c == '[') {
            const size_t end = f.find(']', i);
            if (end == std::string_view::npos) return std::nullopt;
            i = end + 1;  // a colour shows no text
        } else if (c == '0' || c == '#' || c == ',' || c == '.') {
            if (digitsDone) return std::nullopt;  // digits split by a literal: not one of ours
            sec.hasDigits = true;
            if (c == '.') {
                if (afterPoint) return std::nullopt;
                afterPoint = true;
            } else if (c == ',') {
                if (afterPoint) return std::nullopt;
                sec.grouping = true;
            } else if (afterPoint) {
                ++sec.decimals;
            } else if (c == '0') {
                ++sec.minIntegerDigits;
            }
            ++i;
        } else if (c == '%') {
            sec.percent = true;
            (sec.hasDigits ? sec.suffix : sec.prefix) += '%';
            if (sec.hasDigits) digitsDone = true;
            ++i;
        } else if (c == '@' || c == 'E' || c == 'e' || c == '?' || c == '*' || c == '_' || c == '/' ||
                   ((c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') && !sec.hasDigits)) {
            return std::nullopt;  // text, percent, scientific, fraction or date formats
        } else {
            // Plain literals: signs, spaces and characters outside ASCII.
            size_t len = 1;
            const auto b = static_cast<unsigned char>(c);
            if (b >= 0xC0) len = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            (sec.hasDigits ? sec.suffix : sec.prefix) += f.substr(i, len);
            if (sec.hasDigits) digitsDone = true;
            i += len;
        }
    }
    return sec;
}

std::string showSection(const FormatSection& sec, double magnitude) {
    if (!sec.hasDigits) return sec.prefix;
    std::string digits = formatFixed(sec.percent ? magnitude * 100 : magnitude, sec.decimals);  // half away from zero
    if (!digits.empty() && digits[0] == '-') digits.erase(0, 1);
    const size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    const std::string frac = point == std::string::npos ? std::string() : digits.substr(point);
    if (whole == "0" && sec.minIntegerDigits == 0) whole.clear();
    while (static_cast<int>(whole.size()) < sec.minIntegerDigits) whole.insert(whole.begin(), '0');
    if (sec.grouping)
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<size_t>(i), ",");
    return sec.prefix + whole + frac + sec.suffix;
}

// The figure inside a text: an optional minus and the digits, separators and
// point that follow it.
std::optional<double> figureIn(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && !isDigit(text[start])) ++start;
    if (start == text.size()) return std::nullopt;
    if (start > 0 && text[start - 1] == '-') --start;
    size_t end = start + 1;
    while (end < text.size() && (isDigit(text[end]) || text[end] == ',' || text[end] == '.')) ++end;
    return parseNumber(text.substr(start, end - start));
}

}  // namespace

std::optional<std::string> formatNumber(double value, std::string_view fileFormat) {
    if (!std::isfinite(value)) return std::nullopt;
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t from = 0;
    for (size_t i = 0; i < fileFormat.size(); ++i) {
        if (fileFormat[i] == '"') quoted = !quoted;
        else if (fileFormat[i] == ';' && !quoted) {
            parts.push_back(fileFormat.substr(from, i - from));
            from = i + 1;
        }
    }
    parts.push_back(fileFormat.substr(from));
    if (parts.size() > 3 || fileFormat.empty()) return std::nullopt;
    std::vector<FormatSection> sections;
    for (std::string_view p : parts) {
        auto sec = parseSection(p);
        // The first section shows the figure; a later one may be text alone ("なし" for zero).
        if (!sec || (sections.empty() && !sec->hasDigits)) return std::nullopt;
        sections.push_back(std::move(*sec));
    }
    if (value < 0 && sections.size() >= 2) return showSection(sections[1], -value);
    if (value == 0 && sections.size() == 3) return showSection(sections[2], 0);
    std::string shown = showSection(sections[0], std::fabs(value));
    // One section: a negative figure that does not round to zero gets a minus in front.
    if (value < 0 && shown != showSection(sections[0], 0)) shown.insert(0, "-");
    return shown;
}

CellValue typeOf(std::string_view text, std::string_view fileFormat) {
    CellValue v = typeOf(text);
    if (v.kind != CellValue::Kind::Text || fileFormat.empty()) return v;
    if (auto n = figureIn(text)) {
        // A percentage shows a hundred times the value.
        if (fileFormat.find('%') != std::string_view::npos) *n /= 100;
        if (auto shown = formatNumber(*n, fileFormat); shown && *shown == text) {
            v.kind = CellValue::Kind::Number;
            v.number = *n;
        }
    }
    return v;
}

double textWidth(std::string_view text) {
    double units = 0;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        // Half-width katakana (EF BD A1 .. EF BE 9F) take one unit.
        const bool half = len == 3 && b == 0xEF && i + 1 < text.size() &&
                          (static_cast<unsigned char>(text[i + 1]) == 0xBD ||
                           static_cast<unsigned char>(text[i + 1]) == 0xBE);
        units += (len == 1 || half) ? 1 : 2;
        i += len;
    }
    return units;
}

std::string fileNumberFormat(std::string_view local) {
    // The colour names a Japanese spreadsheet shows in a number format.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kColours = {{{"[黒]", "[Black]"},
                                                                                               {"[青]", "[Blue]"},
                                                                                               {"[水]", "[Cyan]"},
                                                                                               {"[緑]", "[Green]"},
                                                                                               {"[紫]", "[Magenta]"},
                                                                                               {"[赤]", "[Red]"},
                                                                                               {"[白]", "[White]"},
                                                                                               {"[黄]", "[Yellow]"}}};
    std::string out;
    size_t i = 0;
    while (i < local.size()) {
        bool replaced = false;
        if (local[i] == '[') {
            for (const auto& [from, to] : kColours) {
                if (local.substr(i, from.size()) == from) {
                    out += to;
                    i += from.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += local[i++];
    }
    return out;
}

// ---------------------------------------------------------------------------

Sheet::Sheet(std::string name) : name_(std::move(name)) { styles_.push_back(Style{}); }

void Sheet::reserve(int rows, int cols) {
    rows_.reserve(static_cast<size_t>(rows));
    reserveCols_ = cols;
}

int Sheet::rowCount() const {
    return std::max(static_cast<int>(rows_.size()), stream_.count > 0 ? stream_.first + stream_.count : 0);
}

int Sheet::columnCount(int row) const {
    if (stream_.holds(row)) return stream_.cols;
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return 0;
    return static_cast<int>(rows_[static_cast<size_t>(row)].size());
}

void Sheet::streamRows(int first, int count, int cols, RowFill fill) {
    if (first < 0 || count < 0 || cols < 0) throw std::out_of_range("negative streamed rows");
    for (size_t r = static_cast<size_t>(first); r < rows_.size() && r < static_cast<size_t>(first + count); ++r)
        if (!rows_[r].empty()) throw std::logic_error("streamed rows over cells already set");
    stream_ = Stream{first, count, cols, std::move(fill), std::vector<std::uint16_t>(static_cast<size_t>(cols), 0)};
    cachedRow_ = -1;
}

void Sheet::merge(const Range& range) {
    if (range.firstRow != range.lastRow) throw std::logic_error("a merged block spans one row");
    merges_.push_back(range);
}

void Sheet::fitColumns(int fromRow, std::vector<int> cols) {
    fitFrom_ = fromRow;
    fitCols_ = std::move(cols);
}

bool Sheet::fits(int col) const {
    return fitFrom_ && (fitCols_.empty() || std::find(fitCols_.begin(), fitCols_.end(), col) != fitCols_.end());
}

double Sheet::fittedWidth(std::string_view text) {
    // The unit of a column width is the digit width of the workbook's standard
    // font. A spreadsheet without the sheet's fonts prints with substitutes
    // whose digits and letters run a quarter wider than that unit (DejaVu Sans
    // beside Carlito), while separators, points and spaces take about two
    // thirds of it and a full-width character two. A character more keeps the
    // text off the cell's border.
    double units = 0;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            units += (b == ',' || b == '.' || b == ' ') ? 0.65 : b == '-' ? 0.75 : 1.26;
            ++i;
            continue;
        }
        const size_t len = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        units += textWidth(text.substr(i, std::min(len, text.size() - i)));
        i += len;
    }
    return std::ceil(units + 1);
}

Sheet::Cell& Sheet::at(int row, int col) {
    if (row < 0 || col < 0) throw std::out_of_range("negative cell position");
    if (stream_.holds(row)) throw std::logic_error("a streamed row is made while the file is written");
    if (static_cast<size_t>(row) >= rows_.size()) rows_.resize(static_cast<size_t>(row) + 1);
    auto& r = rows_[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= r.size()) {
        if (r.capacity() == 0 && reserveCols_ > col) r.reserve(static_cast<size_t>(reserveCols_));
        r.resize(static_cast<size_t>(col) + 1);
    }
    return r[static_cast<size_t>(col)];
}

void Sheet::setText(int row, int col, std::string text) { at(row, col).text = std::move(text); }

const std::string& Sheet::text(int row, int col) const {
    static const std::string kEmpty;
    if (stream_.holds(row)) {
        if (col < 0 || col >= stream_.cols) return kEmpty;
        if (cachedRow_ != row) {
            cachedTexts_.assign(static_cast<size_t>(stream_.cols), std::string());
            stream_.fill(row, cachedTexts_);
            cachedTexts_.resize(static_cast<size_t>(stream_.cols));
            cachedRow_ = row;
        }
        return cachedTexts_[static_cast<size_t>(col)];
    }
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= rows_.size()) return kEmpty;
    const auto& r = rows_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < r.size() ? r[static_cast<size_t>(col)].text : kEmpty;
}

std::uint16_t Sheet::styleId(int row, int col) const {
    if (stream_.holds(row)) return col >= 0 && col < stream_.cols ? stream_.styles[static_cast<size_t>(col)] : 0;
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= rows_.size()) return 0;
    const auto& r = rows_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < r.size() ? r[static_cast<size_t>(col)].style : 0;
}

const Style& Sheet::styleAt(int row, int col) const { return styles_[styleId(row, col)]; }

std::uint16_t Sheet::internStyle(const Style& s) {
    for (size_t i = 0; i < styles_.size(); ++i)
        if (styles_[i] == s) return static_cast<std::uint16_t>(i);
    if (styles_.size() >= 0xFFFF) throw std::length_error("too many cell styles");
    styles_.push_back(s);
    return static_cast<std::uint16_t>(styles_.size() - 1);
}

std::uint16_t Sheet::patched(std::uint16_t id, const StylePatch& patch, const std::optional<std::string>& format,
                             std::map<std::uint16_t, std::uint16_t>& mapped) {
    auto it = mapped.find(id);
    if (it == mapped.end()) {
        Style s = styles_[id];
        if (patch.font) s.font = *patch.font;
        if (patch.size) s.size = *patch.size;
        if (patch.bold) s.bold = *patch.bold;
        if (patch.fill) s.fill = *patch.fill;
        if (patch.align) s.align = *patch.align;
        if (format) s.numberFormat = *format;
        if (patch.border) s.border = *patch.border;
        it = mapped.emplace(id, internStyle(s)).first;
    }
    return it->second;
}

void Sheet::style(const Range& range, const StylePatch& patch) {
    std::optional<std::string> format;
    if (patch.numberFormat) format = fileNumberFormat(*patch.numberFormat);
    // A range holds few distinct styles: each old style maps to one new one.
    std::map<std::uint16_t, std::uint16_t> mapped;
    if (stream_.count > 0 && range.firstRow < stream_.first + stream_.count && range.lastRow >= stream_.first) {
        if (range.firstRow > stream_.first || range.lastRow < stream_.first + stream_.count - 1)
            throw std::logic_error("a styling step covers part of the streamed rows");
        for (int c = range.firstCol; c <= range.lastCol && c < stream_.cols; ++c)
            stream_.styles[static_cast<size_t>(c)] = patched(stream_.styles[static_cast<size_t>(c)], patch, format,
                                                             mapped);
    }
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        if (stream_.holds(r)) {
            r = stream_.first + stream_.count - 1;  // done by column above
            continue;
        }
        for (int c = range.firstCol; c <= range.lastCol; ++c) {
            Cell& cl = at(r, c);
            cl.style = patched(cl.style, patch, format, mapped);
        }
    }
}

void Sheet::setColumnWidth(int col, double characters) {
    if (static_cast<size_t>(col) >= widths_.size()) widths_.resize(static_cast<size_t>(col) + 1, 0.0);
    widths_[static_cast<size_t>(col)] = characters;
}

// ---------------------------------------------------------------------------

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const {
        if (wb) workbook_close(wb);
    }
};

// The process's file creation mask (read without changing it, as other threads may create files).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

// The temporary name the workbook is written under before it is renamed, with the
// permissions the finished file is to have: those of the file it replaces, or
// those of a new file.
fs::path reserveTempName(const fs::path& target) {
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // A file the user made read-only is not replaced behind his back.
    if (replacing && (st.st_mode & S_IWUSR) == 0) throw FileError(target, 0, "読み取り専用のため書き込めません");
    const mode_t mode = replacing ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    // Hidden, and ending in the mark the start-up clean-up of a killed writer's temporaries looks for.
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".tmp~XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) throw FileError(target, 0, std::string("書き込めません: ") + std::strerror(errno));
    ::fchmod(fd, mode);
    ::close(fd);
    return fs::path(buf.data());
}

lxw_format* makeFormat(lxw_workbook* wb, const Style& s) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, s.font.c_str());
    format_set_font_size(f, s.size);
    if (s.bold) format_set_bold(f);
    if (s.fill) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, static_cast<lxw_color_t>(*s.fill));
    }
    switch (s.align) {
        case HAlign::General: break;
        case HAlign::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
        case HAlign::Center: format_set_align(f, LXW_ALIGN_CENTER); break;
        case HAlign::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
    }
    if (!s.numberFormat.empty()) format_set_num_format(f, s.numberFormat.c_str());
    if (s.border) format_set_border(f, LXW_BORDER_THIN);
    return f;
}

void check(lxw_error e, const fs::path& target, const char* what) {
    if (e != LXW_NO_ERROR)
        throw FileError(target, 0, std::string("ワークブックを作れません (") + what + "): " + lxw_strerror(e));
}

void writeSheet(lxw_workbook* wb, const Sheet& sheet, const fs::path& target, const ProgressFn& progress) {
    if (workbook_validate_sheet_name(wb, sheet.name().c_str()) != LXW_NO_ERROR)
        throw FileError(target, 0, "シート名として使えません: " + sheet.name());
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.name().c_str());
    // A valid name fails only when the row file cannot be made in the scratch folder.
    if (!ws) throw FileError(target, 0, std::string("一時ファイルを作れません: ") + std::strerror(errno));

    std::vector<lxw_format*> formats;
    formats.reserve(sheet.styles().size());
    for (const Style& s : sheet.styles()) formats.push_back(makeFormat(wb, s));
    std::vector<lxw_format*> dateFormats(formats.size(), nullptr);

    // Merged blocks by their row: the file is written row by row, and merging
    // writes blanks that the row's cells then overwrite.
    std::multimap<int, Range> mergesByRow;
    for (const Range& m : sheet.merges()) mergesByRow.emplace(m.firstRow, m);

    std::vector<double> widest;  // the width the widest text of a fitted column needs
    const long rows = sheet.rowCount();
    const long step = rows > 2000 ? rows / 200 : 1;
    for (int r = 0; r < rows; ++r) {
        const auto rr = static_cast<lxw_row_t>(r);
        for (auto [m, end] = mergesByRow.equal_range(r); m != end; ++m) {
            const Range& g = m->second;
            check(worksheet_merge_range(ws, rr, static_cast<lxw_col_t>(g.firstCol), rr,
                                        static_cast<lxw_col_t>(g.lastCol), "", formats[sheet.styleId(r, g.firstCol)]),
                  target, "セルの結合");
        }
        const bool measured = sheet.fitFrom() && r >= *sheet.fitFrom();
        for (int c = 0; c < sheet.columnCount(r); ++c) {
            const std::string& t = sheet.text(r, c);
            const std::uint16_t sid = sheet.styleId(r, c);
            lxw_format* f = formats[sid];
            const auto cc = static_cast<lxw_col_t>(c);
            const CellValue v = typeOf(t, sheet.styles()[sid].numberFormat);
            if (measured && !t.empty() && sheet.fits(c)) {
                if (widest.size() <= static_cast<size_t>(c)) widest.resize(static_cast<size_t>(c) + 1, 0.0);
                widest[static_cast<size_t>(c)] = std::max(widest[static_cast<size_t>(c)], Sheet::fittedWidth(t));
            }
            lxw_error e = LXW_NO_ERROR;
            switch (v.kind) {
                case CellValue::Kind::Empty:
                    // A styled empty cell keeps its look; an unstyled one is not written.
                    if (sid != 0) e = worksheet_write_blank(ws, rr, cc, f);
                    break;
                case CellValue::Kind::Text: e = worksheet_write_string(ws, rr, cc, t.c_str(), f); break;
                case CellValue::Kind::Number: e = worksheet_write_number(ws, rr, cc, v.number, f); break;
                case CellValue::Kind::Date: {
                    lxw_datetime dt{v.year, v.month, v.day, 0, 0, 0.0};
                    // A date typed into a cell without a number format shows as a date.
                    if (sheet.styles()[sid].numberFormat.empty()) {
                        if (!dateFormats[sid]) {
                            Style s = sheet.styles()[sid];
                            s.numberFormat = "yyyy/mm/dd";
                            dateFormats[sid] = makeFormat(wb, s);
                        }
                        f = dateFormats[sid];
                    }
                    e = worksheet_write_datetime(ws, rr, cc, &dt, f);
                    break;
                }
            }
            check(e, target, "セルの書き込み");
        }
        if (progress && ((r + 1) % step == 0 || r + 1 == rows) && !progress(r + 1, rows)) throw Cancelled();
    }

    // Column widths go into the file ahead of the rows whenever they are set.
    std::vector<double> widths = sheet.columnWidths();
    if (widths.size() < widest.size()) widths.resize(widest.size(), 0.0);
    for (size_t c = 0; c < widest.size(); ++c)
        if (widest[c] > widths[c]) widths[c] = widest[c];
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > 0)
            check(worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr),
                  target, "列幅");

    const PageSetup& p = sheet.page();
    worksheet_set_paper(ws, static_cast<std::uint8_t>(p.paper));
    if (p.landscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
    if (p.printArea)
        check(worksheet_print_area(
                  ws, static_cast<lxw_row_t>(p.printArea->firstRow), static_cast<lxw_col_t>(p.printArea->firstCol),
                  static_cast<lxw_row_t>(p.printArea->lastRow), static_cast<lxw_col_t>(p.printArea->lastCol)),
              target, "印刷範囲");
    if (p.repeatRows)
        check(worksheet_repeat_rows(ws, static_cast<lxw_row_t>(p.repeatRows->first),
                                    static_cast<lxw_row_t>(p.repeatRows->second)),
              target, "印刷タイトル");
    if (p.fitOnePageWide) worksheet_fit_to_pages(ws, 1, 0);
    worksheet_set_margins(ws, p.left, p.right, p.top, p.bottom);
    std::string header;
    if (!p.leftHeader.empty()) header += "&L" + p.leftHeader;
    if (!p.rightHeader.empty()) header += "&R" + p.rightHeader;
    if (!header.empty()) {
        lxw_header_footer_options opt{};
        opt.margin = p.header;
        check(worksheet_set_header_opt(ws, header.c_str(), &opt), target, "ヘッダー");
    }
}

}  // namespace

void checkWorkbookTarget(const fs::path& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return;
        throw FileError(target, 0, std::string("保存先を確かめられません: ") + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode))
        throw FileError(target, 0,
                        "保存先が通常のファイルではありません（リンク、フォルダー、FIFO、デバイスには書き込みません）。"
                        "別の名前を指定して下さい");
}

void saveWorkbook(const Sheet& sheet, const fs::path& target, const ProgressFn& progress,
                  const fs::path& scratchFolder) {
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    checkWorkbookTarget(target);
    if (!fs::is_directory(folder, ec)) throw FileError(target, 0, "保存先のフォルダーがありません");
    const std::string scratch = (scratchFolder.empty() ? folder : scratchFolder).string();
    const fs::path tmp = reserveTempName(target);
    try {
        // Row by row through a temporary file in the scratch folder, which the
        // library unlinks as soon as it has opened it.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = const_cast<char*>(scratch.c_str());
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(workbook_new_opt(tmp.c_str(), &options));
        if (!wb) throw FileError(target, 0, "ワークブックを作れません");
        writeSheet(wb.get(), sheet, target, progress);
        lxw_error e = workbook_close(wb.release());
        check(e, target, "保存");
        // The data reaches the disk before the name does.
        int fd = ::open(tmp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        if (::rename(tmp.c_str(), target.c_str()) != 0)
            throw FileError(target, 0, std::string("書き込めません: ") + std::strerror(errno));
    } catch (...) {
        fs::remove(tmp, ec);
        throw;
    }
}

fs::path scratchFolderOf(const fs::path& programFolder) {
    const fs::path temp = findNoCase(programFolder, "Temp");
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(temp, ec)) ? temp : fs::path();
}

fs::path freeWorkbookPath(const fs::path& folder, std::string_view sheetName) {
    std::string base;
    for (char c : sheetName) base += (c == '/' || c == '\\' || (static_cast<unsigned char>(c) < 0x20)) ? '_' : c;
    if (base.empty() || base == "." || base == "..") base = "_" + base;
    std::error_code ec;
    for (int n = 1;; ++n) {
        fs::path p = folder / (n == 1 ? base + ".xlsx" : base + " (" + std::to_string(n) + ").xlsx");
        if (!fs::exists(fs::symlink_status(p, ec))) return p;
    }
}

}  // namespace tama::xlsx
