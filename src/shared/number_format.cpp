#include "number_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <limits>

namespace tama {

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one to the decimal digit string (no sign, no point), carrying leftwards.
void incrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return;
        }
    }
    digits.insert(digits.begin(), '1');
}

// Rounds |v| to `decimals` places, halves away from zero, working on the
// shortest decimal text of the double so that 2.675 rounds as the 2.675 the
// user sees and not as its binary neighbour 2.67499999....
// Returns the integer digits and the fraction digits.
void roundDecimal(double v, int decimals, std::string& intPart, std::string& fracPart) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed);
    std::string text(buf, res.ptr);
    auto dot = text.find('.');
    intPart = dot == std::string::npos ? text : text.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    bool roundUp = frac.size() > static_cast<size_t>(decimals) && frac[decimals] >= '5';
    frac.resize(decimals, '0');
    if (roundUp) {
        std::string all = intPart + frac;
        incrementDigits(all);
        intPart = all.substr(0, all.size() - decimals);
        frac = all.substr(all.size() - decimals);
    }
    fracPart = frac;
}

bool allZero(const std::string& a, const std::string& b) {
    for (char c : a)
        if (c != '0') return false;
    for (char c : b)
        if (c != '0') return false;
    return true;
}

}  // namespace

bool isDigitsOnly(std::string_view text) {
    for (char c : text)
        if (!isDigit(c)) return false;
    return true;
}

double leadingNumber(std::string_view text) {
    std::string_view s = trimSpaces(text);
    size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) num += s[i++];
    bool any = false;
    while (i < s.size() && isDigit(s[i])) {
        num += s[i++];
        any = true;
    }
    if (i < s.size() && s[i] == '.') {
        num += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            num += s[i++];
            any = true;
        }
    }
    if (!any) return 0;
    return std::strtod(num.c_str(), nullptr);
}

namespace {

// The usual short figure ("-3,500", "10.5") in one pass: up to 15 digits make
// an integer a double holds exactly, and so is every power of ten up to 10^15,
// so one division of the two is the correctly rounded value, the same double
// from_chars gives. Nothing when the text is not such a figure (longer, or not
// a number at all); the general reader then decides.
std::optional<double> shortFigure(std::string_view s) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    std::int64_t digits = 0;
    int count = 0, decimals = -1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            if (++count > 15) return std::nullopt;
            digits = digits * 10 + (c - '0');
            if (decimals >= 0) ++decimals;
        } else if (c == ',' && decimals < 0) {
            continue;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0) return std::nullopt;
    const double v = decimals > 0 ? static_cast<double>(digits) / kTens[decimals] : static_cast<double>(digits);
    return negative ? -v : v;
}

// The general reader, for what shortFigure leaves: long figures and texts
// that are not numbers. Kept apart so that the short path carries none of its
// buffers.
[[gnu::noinline]] std::optional<double> anyFigure(std::string_view s) {
    // The number without its separators, on the stack unless it is very long.
    char small[64];
    std::string large;
    char* num = small;
    if (s.size() >= sizeof small) {
        large.resize(s.size());
        num = large.data();
    }
    size_t n = 0, i = 0;
    bool negative = false;
    if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
    bool any = false, point = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (isDigit(c)) {
            num[n++] = c;
            any = true;
        } else if (c == ',' && !point) continue;
        else if (c == '.' && !point) {
            num[n++] = c;
            point = true;
        } else return std::nullopt;
    }
    if (!any) return std::nullopt;
    // from_chars reads the digits as strtod does in the "C" locale, whatever
    // locale the process runs in; a number beyond the double range is infinite.
    double v = 0;
    auto [end, ec] = std::from_chars(num, num + n, v, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too large, or so small it reads as zero.
        v = std::any_of(num, std::find(num, num + n, '.'), [](char c) { return c != '0'; }) ? HUGE_VAL : 0.0;
    } else if (ec != std::errc() || end != num + n) return std::nullopt;
    return negative ? -v : v;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimSpaces(text);
    if (s.empty()) return std::nullopt;
    if (auto v = shortFigure(s)) return v;
    return anyFigure(s);
}

double numberOrZero(std::string_view text) { return parseNumber(text).value_or(0.0); }

double roundHalfAway(double v) { return std::round(v); }

double roundHalfEven(double v) { return std::nearbyint(v); }  // default FE_TONEAREST

std::optional<std::int64_t> wholeInt64(double v) {
    double r = roundHalfEven(v);
    // 2^63 is exactly representable; every double below it converts without overflow.
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::int32_t toInt32(double v) {
    double r = roundHalfEven(v);
    if (std::isnan(r)) return 0;  // converting NaN to an integer is undefined
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

std::string formatGrouped(double v) {
    std::string intPart, frac;
    roundDecimal(v, 0, intPart, frac);
    std::string out;
    int n = static_cast<int>(intPart.size());
    for (int i = 0; i < n; ++i) {
        out += intPart[i];
        int rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0) out += ',';
    }
    if (v < 0 && !allZero(intPart, frac)) out.insert(out.begin(), '-');
    return out;
}

std::string formatFixed(double v, int decimals) {
    std::string intPart, frac;
    roundDecimal(v, decimals, intPart, frac);
    std::string out = intPart;
    if (decimals > 0) out += "." + frac;
    if (v < 0 && !allZero(intPart, frac)) out.insert(out.begin(), '-');
    return out;
}

std::string formatPlain(double v) {
    std::string intPart, frac;
    roundDecimal(v, 0, intPart, frac);
    if (v < 0 && !allZero(intPart, frac)) return "-" + intPart;
    return intPart;
}

std::string formatSingle(float v) {
    // Seven significant digits, as a single-precision number has always been
    // written (1/3 -> "0.3333333"), without an exponent and without trailing zeros.
    const double d = static_cast<double>(v);
    if (d == 0 || !std::isfinite(d)) return "0";
    const int intDigits = static_cast<int>(std::floor(std::log10(std::fabs(d)))) + 1;
    const int decimals = std::clamp(7 - intDigits, 0, 45);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, d);
    std::string out(buf);
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0') out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
    if (out == "-0") out = "0";
    return out;
}

}  // namespace tama
