#include "table_style.h"

#include "shared/number_format.h"

namespace tama {

CellAlign resolvedAlign(const TableCell& cell) {
    if (cell.align != CellAlign::General) return cell.align;
    return parseNumber(cell.text) ? CellAlign::Right : CellAlign::Left;
}

}  // namespace tama
