#include "ui/column_fit.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QSet>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <vector>

namespace tama::ui {

namespace {

// Texts within this many units of the widest are measured: digits, commas and
// signs differ a little in width, so a shorter text can still be the widest.
constexpr int kUnitSlack = 2;
// At most this many different candidates are kept (a long list of figures has
// many texts of the same length; their widths differ by a pixel or two).
constexpr size_t kMostCandidates = 64;
// The heading's room beside its text: its padding and its lines.
constexpr int kHeadingPadding = 8;

}  // namespace

int textWidthUnits(const std::string& utf8) {
    int units = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        // U+FF61..U+FF9F (half-width katakana): EF BD A1..BF, EF BE 80..9F.
        const bool halfWidth =
            len == 3 && i + 2 < utf8.size() && b == 0xEF &&
            ((static_cast<unsigned char>(utf8[i + 1]) == 0xBD && static_cast<unsigned char>(utf8[i + 2]) >= 0xA1) ||
             (static_cast<unsigned char>(utf8[i + 1]) == 0xBE && static_cast<unsigned char>(utf8[i + 2]) <= 0x9F));
        units += halfWidth ? 1 : 2;
        i += len;
    }
    return units;
}

int fittedColumnWidth(const QTableView* view, int column, int givenPixels, int rows,
                      const std::function<std::string(int)>& textAt) {
    int widest = givenPixels;
    if (const QAbstractItemModel* model = view->model()) {
        const QString heading = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const QFontMetrics headingMetrics(view->horizontalHeader()->font());
        widest = std::max(widest, headingMetrics.horizontalAdvance(heading) + kHeadingPadding);
    }
    int mostUnits = 0;
    std::vector<std::pair<int, std::string>> candidates;
    for (int r = 0; r < rows; ++r) {
        std::string text = textAt(r);
        const int units = textWidthUnits(text);
        if (units + kUnitSlack < mostUnits) continue;
        if (units > mostUnits) {
            mostUnits = units;
            std::erase_if(candidates, [&](const auto& c) { return c.first + kUnitSlack < mostUnits; });
        }
        if (candidates.size() < kMostCandidates &&
            std::none_of(candidates.begin(), candidates.end(), [&](const auto& c) { return c.second == text; }))
            candidates.emplace_back(units, std::move(text));
        else if (units == mostUnits && candidates.size() >= kMostCandidates) {
            // Full: a new widest-by-units text replaces a narrower one.
            auto narrow = std::min_element(candidates.begin(), candidates.end(),
                                           [](const auto& a, const auto& b) { return a.first < b.first; });
            if (narrow->first < units) *narrow = {units, std::move(text)};
        }
    }
    const QFontMetrics cellMetrics(view->font());
    for (const auto& c : candidates)
        widest = std::max(widest, cellMetrics.horizontalAdvance(QString::fromStdString(c.second)) + kCellTextPadding);
    return widest;
}

}  // namespace tama::ui
