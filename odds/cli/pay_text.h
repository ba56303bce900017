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

} // namespace odds
