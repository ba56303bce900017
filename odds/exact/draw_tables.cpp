#include "draw_tables.h"

#include <algorithm>
#include <bit>

namespace odds {
namespace {

// The flat index of the empty multiset of each size.
constexpr std::array<int, 7> kSizeOffset = [] {
    std::array<int, 7> offset{};
    for (int j = 0; j < 6; ++j)
        offset[j + 1] = offset[j] + static_cast<int>(Choose(kRankValues - 1 + j, j));
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

// Cards of each rank in the deck: four, and one joker where there is one.
RankCounts CopiesOf(const Family& family)
{
    RankCounts copies{};
    std::fill(copies.begin(), copies.begin() + 13, 4);
    copies[kJokerRank] = family.deck().cards - 52;
    return copies;
}

} // namespace

DrawTables::DrawTables(const Family& family)
    : m_family(&family), m_rankClass(kMultisetCount, static_cast<std::int8_t>(family.nothing)),
      m_suitedClass(kSuitedSetCount, static_cast<std::int8_t>(family.nothing)),
      m_containing(kMultisetCount), m_suitedShift(kSuitedSetCount)
{
    const RankCounts copies = CopiesOf(family);
    // Every multiset of five ranks the deck can deal: its row when the cards
    // do not share a suit, credited to each sub-multiset with the number of
    // hands that complete a given card set of those ranks to it.
    std::array<int, 5> r{};
    RankCounts full{};
    const auto visit = [&] {
        const int row = family.rowOf(full, false);
        m_rankClass[MultisetOf(r, 5)] = static_cast<std::int8_t>(row);
        for (unsigned mask = 0; mask < 32; ++mask) {
            // Of equal ranks take only the leading copies, so each
            // sub-multiset is visited once.
            bool leading = true;
            std::array<int, 5> sub{};
            int size = 0;
            RankCounts part{};
            for (int i = 0; i < 5; ++i) {
                if (!(mask & (1u << i)))
                    continue;
                if (i > 0 && r[i - 1] == r[i] && !(mask & (1u << (i - 1))))
                    leading = false;
                sub[size++] = r[i];
                ++part[static_cast<std::size_t>(r[i])];
            }
            if (!leading)
                continue;
            std::int64_t ways = 1;
            for (int v = 0; v < kRankValues; ++v)
                ways *= Choose(copies[v] - part[v], full[v] - part[v]);
            m_containing[MultisetOf(sub, size)][row] += static_cast<std::int32_t>(ways);
        }
    };
    const auto deal = [&](auto& self, int depth, int low) -> void {
        if (depth == 5) {
            visit();
            return;
        }
        for (int v = low; v < kRankValues; ++v) {
            if (full[v] == copies[v])
                continue;
            r[depth] = v;
            ++full[v];
            self(self, depth + 1, v);
            --full[v];
        }
    };
    deal(deal, 0, 0);

    // Every set of natural ranks in one suit, with the wild cards that make
    // five: its hands move from the row their ranks give to the suited row.
    const int wildRank = family.wildRank();
    const int wildCopies = wildRank >= 0 ? copies[wildRank] : 0;
    const unsigned naturalRanks = 0x1fffu & ~(wildRank >= 0 && wildRank < 13 ? 1u << wildRank : 0u);
    for (int wilds = 0; wilds <= wildCopies; ++wilds)
        for (unsigned ranks = 0; ranks < (1u << 13); ++ranks) {
            if ((ranks & ~naturalRanks) != 0 || std::popcount(ranks) != 5 - wilds)
                continue;
            RankCounts counts{};
            for (int v = 0; v < 13; ++v)
                counts[v] = (ranks >> v) & 1u;
            if (wildRank >= 0)
                counts[wildRank] = wilds;
            const int suited = family.rowOf(counts, true);
            const int plain = family.rowOf(counts, false);
            m_suitedClass[SuitedKey(ranks, wilds)] = static_cast<std::int8_t>(suited);
            if (suited == plain)
                continue;
            for (int held = 0; held <= wilds; ++held) {
                // The wild cards still to come may be any of those not held.
                const auto ways =
                    static_cast<std::int32_t>(Choose(wildCopies - held, wilds - held));
                for (unsigned sub = ranks;; sub = (sub - 1) & ranks) {
                    ClassCounts& shift = m_suitedShift[SuitedKey(sub, held)];
                    shift[suited] += ways;
                    shift[plain] -= ways;
                    if (sub == 0)
                        break;
                }
            }
        }

    for (int c = 0; c < kClassCount; ++c)
        m_allHands[c] = m_containing[0][c] + 4 * m_suitedShift[0][c];
}

int DrawTables::classify(std::span<const int, 5> hand) const
{
    const int wildRank = m_family->wildRank();
    std::array<int, 5> ranks{};
    unsigned suits = 0;
    unsigned mask = 0;
    int wilds = 0;
    for (int i = 0; i < 5; ++i) {
        ranks[i] = RankOf(hand[i]);
        if (ranks[i] == wildRank) {
            ++wilds;
            continue;
        }
        suits |= 1u << SuitOf(hand[i]);
        mask |= 1u << ranks[i];
    }
    if ((suits & (suits - 1)) == 0 && std::popcount(mask) == 5 - wilds)
        return m_suitedClass[SuitedKey(mask, wilds)];
    std::sort(ranks.begin(), ranks.end());
    return m_rankClass[MultisetOf(ranks, 5)];
}

} // namespace odds
