#include "draw_tables.h"

#include "card_code.h"

#include <algorithm>
#include <bit>

namespace odds {
namespace {

constexpr int kRanks = 13;

using detail::Choose;

// The flat index of the empty multiset of each size.
constexpr std::array<int, 7> kSizeOffset = [] {
    std::array<int, 7> offset{};
    for (int j = 0; j < 6; ++j)
        offset[j + 1] = offset[j] + static_cast<int>(Choose(kRanks - 1 + j, j));
    return offset;
}();
static_assert(kSizeOffset[6] == DrawTables::kMultisetCount);

int MultisetOf(const std::array<int, 5>& sortedRanks0, int count)
{
    int index = 0;
    for (int i = 0; i < count; ++i)
        index = DrawTables::GrowMultiset(index, i, sortedRanks0[i]);
    return index;
}

} // namespace

DrawTables::DrawTables()
    : m_rankClass(kMultisetCount, hands::HandClass::Nothing),
      m_suitedClass(1u << kRanks, hands::HandClass::Nothing), m_containing(kMultisetCount),
      m_suitedShift(1u << kRanks)
{
    // Every multiset of five ranks with no rank five times: classify one hand
    // of it that is not of one suit, then credit each sub-multiset with the
    // number of hands that complete a given card set of those ranks to it.
    std::array<int, 5> r{};
    for (r[0] = 0; r[0] < kRanks; ++r[0])
        for (r[1] = r[0]; r[1] < kRanks; ++r[1])
            for (r[2] = r[1]; r[2] < kRanks; ++r[2])
                for (r[3] = r[2]; r[3] < kRanks; ++r[3])
                    for (r[4] = r[3]; r[4] < kRanks; ++r[4]) {
                        if (r[0] == r[4])
                            continue;
                        std::array<int, 5> hand{};
                        for (int i = 0; i < 5; ++i) {
                            const int copy =
                                static_cast<int>(std::count(r.begin(), r.begin() + i, r[i]));
                            hand[i] = cards::MakeCard(copy, r[i] + 1);
                        }
                        if (std::adjacent_find(r.begin(), r.end()) == r.end())
                            hand[0] = cards::MakeCard(1, r[0] + 1); // two suits
                        const hands::HandClass row = hands::ClassifyHand(hand);
                        m_rankClass[MultisetOf(r, 5)] = row;

                        std::array<int, kRanks> full{};
                        for (int v : r)
                            ++full[v];
                        for (unsigned mask = 0; mask < 32; ++mask) {
                            // Of equal ranks take only the leading copies, so
                            // each sub-multiset is visited once.
                            bool leading = true;
                            std::array<int, 5> sub{};
                            int size = 0;
                            std::array<int, kRanks> part{};
                            for (int i = 0; i < 5; ++i) {
                                if (!(mask & (1u << i)))
                                    continue;
                                if (i > 0 && r[i - 1] == r[i] && !(mask & (1u << (i - 1))))
                                    leading = false;
                                sub[size++] = r[i];
                                ++part[r[i]];
                            }
                            if (!leading)
                                continue;
                            std::int64_t ways = 1;
                            for (int v = 0; v < kRanks; ++v)
                                ways *= Choose(4 - part[v], full[v] - part[v]);
                            m_containing[MultisetOf(sub, size)][static_cast<int>(row)] +=
                                static_cast<std::int32_t>(ways);
                        }
                    }

    // Every set of five ranks in one suit moves its hands from the row its
    // ranks give to its one-suit row.
    for (unsigned ranks = 0; ranks < (1u << kRanks); ++ranks) {
        if (std::popcount(ranks) != 5)
            continue;
        std::array<int, 5> hand{};
        std::array<int, 5> sorted{};
        int n = 0;
        for (int v = 0; v < kRanks; ++v)
            if (ranks & (1u << v)) {
                sorted[n] = v;
                hand[n++] = cards::MakeCard(0, v + 1);
            }
        const hands::HandClass suited = hands::ClassifyHand(hand);
        m_suitedClass[ranks] = suited;
        const hands::HandClass plain = m_rankClass[MultisetOf(sorted, 5)];
        for (unsigned sub = ranks;; sub = (sub - 1) & ranks) {
            ++m_suitedShift[sub][static_cast<int>(suited)];
            --m_suitedShift[sub][static_cast<int>(plain)];
            if (sub == 0)
                break;
        }
    }

    for (int c = 0; c < kClassCount; ++c)
        m_allHands[c] = m_containing[0][c] + 4 * m_suitedShift[0][c];
}

hands::HandClass DrawTables::classify(std::span<const int, 5> hand) const
{
    std::array<int, 5> ranks{};
    unsigned suits = 0;
    unsigned mask = 0;
    for (int i = 0; i < 5; ++i) {
        ranks[i] = cards::CardRank(hand[i]) - 1;
        suits |= 1u << cards::CardSuit(hand[i]);
        mask |= 1u << ranks[i];
    }
    if (std::popcount(suits) == 1)
        return m_suitedClass[mask];
    std::sort(ranks.begin(), ranks.end());
    return m_rankClass[MultisetOf(ranks, 5)];
}

} // namespace odds
