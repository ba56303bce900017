#pragma once

#include <array>
#include <utility>

namespace hands {

constexpr int kAllHandsCount = 2598960;

// Calls f with each five-card hand once, the codes of each hand ascending and
// the hands in lexicographic order, so callers may index results by position.
template <class F> void ForEachHand(F&& f)
{
    std::array<int, 5> h{};
    for (h[0] = 1; h[0] <= 48; ++h[0])
        for (h[1] = h[0] + 1; h[1] <= 49; ++h[1])
            for (h[2] = h[1] + 1; h[2] <= 50; ++h[2])
                for (h[3] = h[2] + 1; h[3] <= 51; ++h[3])
                    for (h[4] = h[3] + 1; h[4] <= 52; ++h[4])
                        f(std::as_const(h));
}

} // namespace hands
