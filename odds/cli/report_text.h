#pragma once

// What the report files share: printf-style text, row names, hold cards.
#include "json_writer.h"
#include "odds_report.h"

#include <array>
#include <string>
#include <vector>

namespace odds::report_detail {

// printf into a string of the length the text needs.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...);
std::string RowText(const Family& family, int row);
// A decimal with thousands separators.
std::string GroupedDecimal(double value, int decimals);
// The dealt cards with "--" in the places given up.
std::string HeldText(const std::array<int, 5>& dealt, unsigned hold);
std::string FaceDownText(unsigned hold);
// The face-down places of a hold, and the cards there, as a sentence's end.
std::string FaceDownSentence(const std::array<int, 5>& dealt, unsigned hold);
// A hold in JSON: its mask, the cards kept and thrown away, and the places
// to turn face down.
void HoldCards(JsonWriter& w, const std::array<int, 5>& dealt, unsigned hold);
// Every row object of every report starts alike.
JsonWriter& BeginRow(JsonWriter& w, const Family& family, int row, std::int64_t pays);

} // namespace odds::report_detail
