#pragma once

#include "draw_tables.h"

namespace odds_test {

// The sanitizer build runs unoptimized and several times slower: it checks the
// same paths on fewer cases.
#ifdef NDEBUG
constexpr bool kFullRun = true;
#else
constexpr bool kFullRun = false;
#endif

// Built once per test program: every exact figure starts from these tables.
inline const odds::DrawTables& Tables()
{
    static const odds::DrawTables tables;
    return tables;
}

} // namespace odds_test
