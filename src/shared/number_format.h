#pragma once
// Number conversions and display formats shared by every part of the program.
// Money is whole yen, play time is hours; all formatting rounds halves away
// from zero, the way the displayed figures have always been rounded.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tama {

// `s` without the spaces and tabs at either end.
std::string_view trimSpaces(std::string_view s);

// True when every character is an ASCII digit "0".."9" (an empty text is true).
bool isDigitsOnly(std::string_view text);

// The leading number of a box text, ignoring surrounding spaces:
// "15000" -> 15000, " 12 " -> 12, "12a" -> 12, "" -> 0, "abc" -> 0.
// Accepts an optional sign and a decimal fraction; stops at the first other character.
double leadingNumber(std::string_view text);

// The ordinary text-to-number conversion for stored and displayed figures:
// accepts spaces around, a leading sign and thousands separators ("-3,500" -> -3500).
// Returns nothing when the text is empty or not a number.
std::optional<double> parseNumber(std::string_view text);

// parseNumber, with 0 for a text that is not a number.
double numberOrZero(std::string_view text);

// Rounds to a whole number, halves away from zero (2.5 -> 3, -2.5 -> -3).
double roundHalfAway(double v);

// Rounds to a whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// the rule of the running totals and 32-bit conversions.
double roundHalfEven(double v);

// Converts to a 32-bit integer the way stored totals are converted: halves to even,
// clamped to the 32-bit range; NaN gives 0.
std::int32_t toInt32(double v);

// A whole number as a 64-bit integer, or nothing when it is not finite or lies
// outside the 64-bit range (never clamped).
std::optional<std::int64_t> wholeInt64(double v);

// "#,##0": whole number with comma thousands separators and a leading minus sign.
// 15000 -> "15,000", -3500 -> "-3,500", 1874.5 -> "1,875". A value that rounds to
// zero is shown as "0".
std::string formatGrouped(double v);

// Fixed decimals: "0.0" / "#0.0" (decimals = 1), "0.000" (decimals = 3).
// 8.5 -> "8.5", -2 -> "-2.0", 2.0/3 -> "0.667" with decimals = 3.
std::string formatFixed(double v, int decimals);

// Whole number as plain decimal text without separators: -48000 -> "-48000".
std::string formatPlain(double v);

// The text form of a single-precision number, as window coordinates are stored:
// seven significant digits, no exponent, no trailing zeros.
// 1234 -> "1234", 1234.5 -> "1234.5", 1309.0909 -> "1309.091".
std::string formatSingle(float v);

}  // namespace tama
