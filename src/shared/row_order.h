#pragma once
// The two orders the grids sort their rows by, and the stable sort they use.
// Text order compares character codes (UTF-8 bytes, which is code-point order);
// generic order compares two cells as numbers when both read as numbers
// ("1,500", "-2,000", "8.0") and as text otherwise.
#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace tama {

// The four orders of a grid's rows.
enum class SortMode { TextAscending, TextDescending, GenericAscending, GenericDescending };

// -1, 0 or 1 as `a` sorts before, with or after `b` in text order.
int compareText(std::string_view a, std::string_view b);

// -1, 0 or 1 in generic order.
int compareGeneric(std::string_view a, std::string_view b);

// Sorts stably with a comparator that need not be a strict weak order (the
// generic order mixes numeric and text comparison): a plain merge sort never
// reads outside the range whatever the comparator answers.
template <typename T, typename Less>
void mergeSort(std::vector<T>& items, Less less) {
    const size_t n = items.size();
    if (n < 2) return;
    std::vector<T> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                // Take from the right run only when it is strictly smaller: stable.
                if (less(items[j], items[i])) buffer[k++] = std::move(items[j++]);
                else buffer[k++] = std::move(items[i++]);
            }
            while (i < mid) buffer[k++] = std::move(items[i++]);
            while (j < hi) buffer[k++] = std::move(items[j++]);
        }
        items.swap(buffer);
    }
}

}  // namespace tama
