#include "pays.h"

namespace odds {

PayVector GamePays()
{
    PayVector pays{};
    for (const hands::PayRow& row : hands::kPayTable)
        pays[static_cast<int>(row.hand)] = row.multiplier;
    return pays;
}

} // namespace odds
