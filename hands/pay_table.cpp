#include "pay_table.h"

#include <algorithm>

namespace hands {

std::array<const PayRow*, kHandClassCount - 1> PayingRowsAscending()
{
    std::array<const PayRow*, kHandClassCount - 1> rows{};
    std::size_t n = 0;
    for (const PayRow& row : kPayTable)
        if (row.multiplier > 0)
            rows[n++] = &row;
    std::sort(rows.begin(), rows.end(),
              [](const PayRow* a, const PayRow* b) { return a->multiplier < b->multiplier; });
    return rows;
}

} // namespace hands
