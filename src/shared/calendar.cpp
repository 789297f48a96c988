#include "shared/calendar.h"

#include <cstdio>

namespace tama {

bool isRealDate(int year, int month, int day) {
    if (year < 1 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

int weekdayOf(int year, int month, int day) {
    // Sakamoto's method on the proleptic Gregorian calendar; 0 = Sunday.
    static constexpr int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + t[month - 1] + day) % 7;
}

std::string plainDigits(std::string_view text) {
    // "０".."９" are U+FF10..U+FF19: EF BC 90..99 in UTF-8.
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
            static_cast<unsigned char>(text[i + 1]) == 0xBC && static_cast<unsigned char>(text[i + 2]) >= 0x90 &&
            static_cast<unsigned char>(text[i + 2]) <= 0x99) {
            out += static_cast<char>('0' + (static_cast<unsigned char>(text[i + 2]) - 0x90));
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

namespace {
// The value of a text of `minDigits` to `maxDigits` ASCII digits with spaces
// around them, or -1.
int digitsValue(std::string_view text, size_t minDigits, size_t maxDigits) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return -1;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() < minDigits || text.size() > maxDigits) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}
}  // namespace

std::optional<std::string> typedDate(std::string_view year, std::string_view month, std::string_view day) {
    const int y = digitsValue(plainDigits(year), 4, 4);
    const int m = digitsValue(plainDigits(month), 1, 2);
    const int d = digitsValue(plainDigits(day), 1, 2);
    if (!isRealDate(y, m, d)) return std::nullopt;
    char out[16];
    std::snprintf(out, sizeof out, "%04d/%02d/%02d", y, m, d);
    return std::string(out);
}

std::optional<std::string> typedDate(std::string_view ymd) {
    const size_t a = ymd.find('/');
    if (a == std::string_view::npos) return std::nullopt;
    const size_t b = ymd.find('/', a + 1);
    if (b == std::string_view::npos || ymd.find('/', b + 1) != std::string_view::npos) return std::nullopt;
    return typedDate(ymd.substr(0, a), ymd.substr(a + 1, b - a - 1), ymd.substr(b + 1));
}

}  // namespace tama
