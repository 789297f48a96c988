#include "row_order.h"

#include "number_format.h"

namespace tama {

int compareText(std::string_view a, std::string_view b) {
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareGeneric(std::string_view a, std::string_view b) {
    auto x = parseNumber(a), y = parseNumber(b);
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    return compareText(a, b);
}

}  // namespace tama
