#pragma once
// Page header texts of the workbooks.
#include <string>
#include <string_view>

namespace tama::xlsx {

// A text shown as it is in a page header: "&" starts a code there, so it is doubled.
inline std::string headerText(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

}  // namespace tama::xlsx
