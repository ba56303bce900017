#include "hold_analysis.h"

#include "card_code.h"

#include <bit>

namespace odds {
namespace {

std::int64_t Scale(unsigned hold, const Deck& deck)
{
    return deck.denominator / DrawsFor(hold, deck);
}

} // namespace

HandSubsets::HandSubsets(std::span<const int, 5> dealt, int wildRank)
{
    std::array<int, 5> order = {0, 1, 2, 3, 4};
    std::array<int, 5> rank{};
    for (int i = 0; i < 5; ++i)
        rank[i] = RankOf(dealt[i]);
    for (int i = 1; i < 5; ++i)
        for (int j = i; j > 0 && rank[order[j - 1]] > rank[order[j]]; --j)
            std::swap(order[j - 1], order[j]);

    std::array<unsigned, kHoldCount> suits{};
    suitMultiplier[0] = 4;
    for (unsigned s = 1; s < kHoldCount; ++s) {
        const int top = std::bit_width(s) - 1; // highest sorted position in s
        const unsigned rest = s & ~(1u << top);
        const int r = rank[order[top]];
        multiset[s] = DrawTables::GrowMultiset(multiset[rest], kHeldCount[rest], r);
        if (r == wildRank) {
            suitedKey[s] = suitedKey[rest] + DrawTables::SuitedKey(0, 1);
            suits[s] = suits[rest];
        } else {
            suitedKey[s] = suitedKey[rest] | (1u << r);
            suits[s] = suits[rest] | (1u << SuitOf(dealt[order[top]]));
        }
        suitMultiplier[s] = suits[s] == 0 ? 4 : ((suits[s] & (suits[s] - 1)) == 0 ? 1 : 0);
        place[s] = place[rest] | (1u << order[top]);
    }
}

ClassCounts HandSubsets::containing(const DrawTables& tables, unsigned s) const
{
    ClassCounts w = tables.containing(multiset[s]);
    if (const int m = suitMultiplier[s]) {
        const ClassCounts& shift = tables.suitedShift(suitedKey[s]);
        for (int c = 0; c < kClassCount; ++c)
            w[c] += m * shift[c];
    }
    return w;
}

void CountDraws(const DrawTables& tables, std::span<const int, 5> dealt, HoldTable& out)
{
    const HandSubsets subsets(dealt, tables.family().wildRank());
    HoldTable w;
    for (unsigned s = 0; s < kHoldCount; ++s)
        w[s] = subsets.containing(tables, s);
    // Hands holding exactly the set h of the dealt cards, none of the others:
    // alternate sums over the supersets of h.
    for (unsigned bit = 1; bit < kHoldCount; bit <<= 1)
        for (unsigned s = 0; s < kHoldCount; ++s)
            if (!(s & bit))
                for (int c = 0; c < kClassCount; ++c)
                    w[s][c] -= w[s | bit][c];
    for (unsigned s = 0; s < kHoldCount; ++s)
        out[subsets.place[s]] = w[s];
}

std::int64_t ScaledReturn(const ClassCounts& counts, unsigned hold, const PayVector& pays,
                          const Deck& deck)
{
    std::int64_t paid = 0;
    for (int c = 0; c < kClassCount; ++c)
        paid += counts[c] * pays[c];
    return paid * Scale(hold, deck);
}

unsigned BestHold(const HoldTable& table, const PayVector& pays, const Deck& deck)
{
    unsigned best = 0;
    std::int64_t bestReturn = ScaledReturn(table[0], 0, pays, deck);
    for (unsigned h = 1; h < kHoldCount; ++h) {
        const std::int64_t r = ScaledReturn(table[h], h, pays, deck);
        if (BetterHold(r, h, bestReturn, best)) {
            best = h;
            bestReturn = r;
        }
    }
    return best;
}

PaidTables::PaidTables(const DrawTables& tables, const PayVector& pays)
    : m_containing(DrawTables::kMultisetCount), m_suitedShift(DrawTables::kSuitedSetCount)
{
    const auto paid = [&](const ClassCounts& counts) {
        std::int64_t sum = 0;
        for (int c = 0; c < kClassCount; ++c)
            sum += counts[c] * pays[c];
        return sum;
    };
    for (int i = 0; i < DrawTables::kMultisetCount; ++i)
        m_containing[static_cast<std::size_t>(i)] = paid(tables.containing(i));
    for (unsigned m = 0; m < DrawTables::kSuitedSetCount; ++m)
        m_suitedShift[m] = paid(tables.suitedShift(m));
}

std::array<std::int64_t, kHoldCount> ExactPaid(const HandSubsets& subsets, const PaidTables& paid)
{
    std::array<std::int64_t, kHoldCount> value{};
    for (unsigned s = 0; s < kHoldCount; ++s)
        value[s] = paid.containing(subsets.multiset[s]) +
                   subsets.suitMultiplier[s] * paid.suitedShift(subsets.suitedKey[s]);
    for (unsigned bit = 1; bit < kHoldCount; bit <<= 1)
        for (unsigned s = 0; s < kHoldCount; ++s)
            if (!(s & bit))
                value[s] -= value[s | bit];
    return value;
}

BestPlay PlayBest(const DrawTables& tables, const PaidTables& paid, std::span<const int, 5> dealt)
{
    // The same alternate sums as CountDraws, on one paid total per subset
    // instead of ten counts; only the winner's counts are then worked out.
    const HandSubsets subsets(dealt, tables.family().wildRank());
    const std::array<std::int64_t, kHoldCount> value = ExactPaid(subsets, paid);
    const Deck& deck = tables.deck();

    unsigned best = 0;
    std::int64_t bestReturn = value[0] * Scale(0, deck);
    for (unsigned s = 1; s < kHoldCount; ++s) {
        const std::int64_t r = value[s] * Scale(s, deck);
        if (BetterHold(r, subsets.place[s], bestReturn, subsets.place[best])) {
            best = s;
            bestReturn = r;
        }
    }

    BestPlay play;
    play.hold = subsets.place[best];
    play.scaledReturn = bestReturn;
    for (unsigned s = 0; s < kHoldCount; ++s)
        if (value[s] * Scale(s, deck) == bestReturn && kHeldCount[s] == kHeldCount[best])
            play.ties |= 1u << subsets.place[s];
    for (unsigned t = best; t < kHoldCount; t = (t + 1) | best) {
        const ClassCounts w = subsets.containing(tables, t);
        const bool add = kHeldCount[t ^ best] % 2 == 0;
        for (int c = 0; c < kClassCount; ++c)
            play.counts[c] += add ? w[c] : -w[c];
    }
    return play;
}

} // namespace odds
