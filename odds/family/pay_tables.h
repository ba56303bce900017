#pragma once

#include "family.h"

#include <string>
#include <string_view>
#include <vector>

namespace odds {

// A pay table as players name it, with its pays per unit bet top down (the
// royal at its five-coin rate).
struct NamedTable
{
    std::string_view name;
    const Family* family = nullptr;
    PayVector pays{}; // by the family's row numbers
};

// Every built-in table, families in the order of Families().
const std::vector<NamedTable>& NamedTables();

// By name, regardless of case, blanks, slashes and other punctuation;
// nullptr when none matches.
const NamedTable* FindTable(std::string_view name);

// The names nearest to a name that matched none, nearest first.
std::vector<std::string_view> ClosestTables(std::string_view name, std::size_t count);

} // namespace odds
