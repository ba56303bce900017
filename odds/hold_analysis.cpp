#include "hold_analysis.h"

#include "card_code.h"

#include <bit>

namespace odds {

void CountDraws(const DrawTables& tables, std::span<const int, 5> dealt, HoldTable& out)
{
    // Work on the cards sorted by rank, so every subset lists its ranks in
    // order and its multiset index grows one card at a time.
    std::array<int, 5> order = {0, 1, 2, 3, 4};
    std::array<int, 5> rank{};
    for (int i = 0; i < 5; ++i)
        rank[i] = cards::CardRank(dealt[i]) - 1;
    for (int i = 1; i < 5; ++i)
        for (int j = i; j > 0 && rank[order[j - 1]] > rank[order[j]]; --j)
            std::swap(order[j - 1], order[j]);

    std::array<int, kHoldCount> multiset{};
    std::array<unsigned, kHoldCount> rankMask{};
    std::array<unsigned, kHoldCount> suitMask{};
    std::array<unsigned, kHoldCount> placeMask{};
    HoldTable w;
    w[0] = tables.containing(0);
    const ClassCounts& anySuit = tables.suitedShift(0);
    for (int c = 0; c < kClassCount; ++c)
        w[0][c] += 4 * anySuit[c];
    for (unsigned s = 1; s < kHoldCount; ++s) {
        const int top = std::bit_width(s) - 1; // highest sorted position in s
        const unsigned rest = s & ~(1u << top);
        const int card = dealt[order[top]];
        const int r = rank[order[top]];
        multiset[s] = DrawTables::GrowMultiset(multiset[rest], std::popcount(rest), r);
        rankMask[s] = rankMask[rest] | (1u << r);
        suitMask[s] = suitMask[rest] | (1u << cards::CardSuit(card));
        placeMask[s] = placeMask[rest] | (1u << order[top]);
        w[s] = tables.containing(multiset[s]);
        if (std::popcount(suitMask[s]) == 1) {
            const ClassCounts& shift = tables.suitedShift(rankMask[s]);
            for (int c = 0; c < kClassCount; ++c)
                w[s][c] += shift[c];
        }
    }
    // Hands holding exactly the set h of the dealt cards: alternate sums over
    // the supersets of h.
    for (unsigned bit = 1; bit < kHoldCount; bit <<= 1)
        for (unsigned s = 0; s < kHoldCount; ++s)
            if (!(s & bit))
                for (int c = 0; c < kClassCount; ++c)
                    w[s][c] -= w[s | bit][c];
    for (unsigned s = 0; s < kHoldCount; ++s)
        out[placeMask[s]] = w[s];
}

std::int64_t ScaledReturn(const ClassCounts& counts, unsigned hold, const PayVector& pays)
{
    std::int64_t paid = 0;
    for (int c = 0; c < kClassCount; ++c)
        paid += counts[c] * pays[c];
    return paid * (kReturnDenominator / DrawsFor(hold));
}

unsigned BestHold(const HoldTable& table, const PayVector& pays)
{
    unsigned best = 0;
    std::int64_t bestReturn = ScaledReturn(table[0], 0, pays);
    for (unsigned h = 1; h < kHoldCount; ++h) {
        const std::int64_t r = ScaledReturn(table[h], h, pays);
        if (r > bestReturn) {
            best = h;
            bestReturn = r;
        }
    }
    return best;
}

} // namespace odds
