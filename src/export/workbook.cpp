#include "workbook.h"

#include <xlsxwriter.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
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

Sheet::Cell& Sheet::at(int row, int col) {
    if (row < 0 || col < 0) throw std::out_of_range("negative cell position");
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
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= rows_.size()) return kEmpty;
    const auto& r = rows_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < r.size() ? r[static_cast<size_t>(col)].text : kEmpty;
}

std::uint16_t Sheet::styleId(int row, int col) const {
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

void Sheet::style(const Range& range, const StylePatch& patch) {
    std::optional<std::string> format;
    if (patch.numberFormat) format = fileNumberFormat(*patch.numberFormat);
    // A range holds few distinct styles: each old style maps to one new one.
    std::map<std::uint16_t, std::uint16_t> mapped;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        for (int c = range.firstCol; c <= range.lastCol; ++c) {
            Cell& cl = at(r, c);
            auto it = mapped.find(cl.style);
            if (it == mapped.end()) {
                Style s = styles_[cl.style];
                if (patch.font) s.font = *patch.font;
                if (patch.size) s.size = *patch.size;
                if (patch.bold) s.bold = *patch.bold;
                if (patch.fill) s.fill = *patch.fill;
                if (patch.align) s.align = *patch.align;
                if (format) s.numberFormat = *format;
                if (patch.border) s.border = *patch.border;
                it = mapped.emplace(cl.style, internStyle(s)).first;
            }
            cl.style = it->second;
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
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
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
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.name().c_str());
    if (!ws) throw FileError(target, 0, "シート名として使えません: " + sheet.name());

    std::vector<lxw_format*> formats;
    formats.reserve(sheet.styles().size());
    for (const Style& s : sheet.styles()) formats.push_back(makeFormat(wb, s));
    std::vector<lxw_format*> dateFormats(formats.size(), nullptr);

    const auto& widths = sheet.columnWidths();
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > 0)
            check(worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr),
                  target, "列幅");

    // Merged blocks first: merging writes blanks that the cells below overwrite.
    for (const Range& m : sheet.merges())
        check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.firstRow), static_cast<lxw_col_t>(m.firstCol),
                                    static_cast<lxw_row_t>(m.lastRow), static_cast<lxw_col_t>(m.lastCol), "",
                                    formats[sheet.styleId(m.firstRow, m.firstCol)]),
              target, "セルの結合");

    const long rows = sheet.rowCount();
    const long step = rows > 2000 ? rows / 200 : 1;
    for (int r = 0; r < rows; ++r) {
        const auto rr = static_cast<lxw_row_t>(r);
        for (int c = 0; c < sheet.columnCount(r); ++c) {
            const std::string& t = sheet.text(r, c);
            const std::uint16_t sid = sheet.styleId(r, c);
            lxw_format* f = formats[sid];
            const auto cc = static_cast<lxw_col_t>(c);
            const CellValue v = typeOf(t);
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

    const PageSetup& p = sheet.page();
    worksheet_set_paper(ws, static_cast<std::uint8_t>(p.paper));
    if (p.landscape)
        worksheet_set_landscape(ws);
    else
        worksheet_set_portrait(ws);
    if (p.printArea)
        check(worksheet_print_area(ws, static_cast<lxw_row_t>(p.printArea->firstRow),
                                   static_cast<lxw_col_t>(p.printArea->firstCol),
                                   static_cast<lxw_row_t>(p.printArea->lastRow),
                                   static_cast<lxw_col_t>(p.printArea->lastCol)),
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

void saveWorkbook(const Sheet& sheet, const fs::path& target, const ProgressFn& progress) {
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) throw FileError(target, 0, "保存先のフォルダーがありません");
    const fs::path tmp = reserveTempName(target);
    try {
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(workbook_new(tmp.c_str()));
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
