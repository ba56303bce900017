#pragma once

#include "pays.h"

#include <optional>
#include <string>
#include <string_view>

namespace odds {

// "500,100,50,10,7,5,3,2,1": nine whole numbers 0..kMaxPay in kPayOrder.
// On failure returns nullopt and says why in error.
std::optional<PayVector> ParsePays(std::string_view text, std::string& error);

// The inverse of ParsePays.
std::string FormatPays(const PayVector& pays);

// FormatPays, marked when it is the game's own table: the reports' "Pays" line.
std::string FormatPaysLine(const PayVector& pays);

// head then text, broken between words so that no line runs past 80 columns;
// the lines after the first start under the text.
std::string Wrapped(std::string head, const std::string& text);

// The nine rows from the top, in the game's names with the usual poker words
// beside them, after head: the one legend of every report and --help.
std::string RowLegend(const std::string& head);

// The order --pays takes, with the legend, for --help.
std::string PaysOrderHelp();

class JsonWriter;
// The nine pays as a JSON array, in kPayOrder.
void WritePays(JsonWriter& w, const PayVector& pays);

// User input shown in an error line: one line, printable, short, quoted.
std::string Quote(std::string_view text);

} // namespace odds
