#pragma once

#include "pays.h"

#include <optional>
#include <string>
#include <string_view>

namespace odds {

// "500,100,50,10,7,5,3,2,1": one whole number 0..kMaxPay per paying row of
// the family, top down. On failure returns nullopt and says why in error.
std::optional<PayVector> ParsePays(std::string_view text, std::string& error,
                                   const Family& family = JacksFamily());

// The inverse of ParsePays.
std::string FormatPays(const PayVector& pays, const Family& family = JacksFamily());

// FormatPays, marked when it is the game's own table or names the family:
// the reports' "Pays" line.
std::string FormatPaysLine(const PayVector& pays, const Family& family = JacksFamily());

// head then text, broken between words so that no line runs past 80 columns;
// the lines after the first start under the text.
std::string Wrapped(std::string head, const std::string& text);

// The paying rows from the top, in the family's names (the game's with the
// usual poker words beside them), after head: the legend of every report.
std::string RowLegend(const std::string& head, const Family& family = JacksFamily());

// The order --pays takes, with the legend, for --help.
std::string PaysOrderHelp();

class JsonWriter;
// The pays as a JSON array, top row first.
void WritePays(JsonWriter& w, const PayVector& pays, const Family& family = JacksFamily());

// User input shown in an error line: one line, printable, short, quoted.
std::string Quote(std::string_view text);

} // namespace odds
