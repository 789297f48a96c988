#pragma once
// Calendar dates as the program types and stores them: real days of the
// (proleptic) Gregorian calendar, and dates typed as year, month and day texts.
#include <optional>
#include <string>
#include <string_view>

namespace tama {

// True when year/month/day is a real day of the (proleptic) Gregorian calendar.
bool isRealDate(int year, int month, int day);

// Weekday number 0 (Sunday) .. 6 (Saturday) of a real date.
int weekdayOf(int year, int month, int day);

// Full-width digits ("１５") as ASCII ones; every other character as it stands.
std::string plainDigits(std::string_view text);

// The date that year, month and day texts mean, as "yyyy/mm/dd": a year of four
// digits, a month and a day of one or two digits (full-width digits too,
// spaces around each ignored) that name a real day. Nothing for any other text
// ("2003/13/1", an empty day, "abc", 2003/2/29).
std::optional<std::string> typedDate(std::string_view year, std::string_view month, std::string_view day);

// The same for one text "Y/M/D" ("2003/5/1" -> "2003/05/01").
std::optional<std::string> typedDate(std::string_view ymd);

}  // namespace tama
