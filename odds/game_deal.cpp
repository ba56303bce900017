#include "game_deal.h"

#include "card_code.h"
#include "game_deal_links.h"
#include "random.h"
#include "simulation.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace odds {
namespace {

constexpr std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// One random word per rank.
constexpr auto kRankWord = [] {
    std::array<std::uint64_t, 13> words{};
    for (std::size_t r = 0; r < words.size(); ++r)
        words[r] = SplitMix(r);
    return words;
}();

// A set of cards as what decides its paid total: a key adding one random
// word per rank (so a multiset of ranks sums to one key whatever the order),
// its rank mask and its suits.
struct CardSet
{
    std::uint64_t key = 0;
    unsigned rankMask = 0;
    unsigned suits = 0;
    int size = 0;

    CardSet with(int code) const
    {
        const int r = cards::CardRank(code) - 1;
        return {key + kRankWord[static_cast<std::size_t>(r)], rankMask | (1u << r),
                suits | (1u << cards::CardSuit(code)), size + 1};
    }
    CardSet with(const CardSet& other) const
    {
        return {key + other.key, rankMask | other.rankMask, suits | other.suits,
                size + other.size};
    }
};

constexpr std::uint64_t Bit(int code)
{
    return std::uint64_t{1} << code;
}

} // namespace

// PaidTables::containing by a CardSet's key: an open-addressed table over the
// 8,568 multisets of up to five ranks.
class PaidLookup
{
  public:
    explicit PaidLookup(const PaidTables& paid) : m_paid(paid), m_slots(kSlots, {kEmpty, 0})
    {
        add(paid, 0, 0, 0, 0);
    }

    std::int64_t holding(const CardSet& set) const
    {
        std::size_t slot = set.key >> (64 - kSlotBits);
        while (m_slots[slot].key != set.key)
            slot = (slot + 1) & (kSlots - 1);
        const int oneSuit = set.size == 0 ? 4 : ((set.suits & (set.suits - 1)) == 0 ? 1 : 0);
        return m_slots[slot].paid + oneSuit * m_paid.suitedShift(set.rankMask);
    }

  private:
    // Every multiset of ranks no lower than `low`, grown from one of `size`
    // ranks with this index and key.
    void add(const PaidTables& paid, int index, int size, int low, std::uint64_t key)
    {
        std::size_t slot = key >> (64 - kSlotBits);
        while (m_slots[slot].key != kEmpty)
            slot = (slot + 1) & (kSlots - 1);
        m_slots[slot] = {key, paid.containing(index)};
        if (size == 5)
            return;
        for (int r = low; r < 13; ++r)
            add(paid, DrawTables::GrowMultiset(index, size, r), size + 1, r,
                key + kRankWord[static_cast<std::size_t>(r)]);
    }

    struct Slot
    {
        std::uint64_t key;
        std::int64_t paid;
    };
    static constexpr int kSlotBits = 14;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    static constexpr std::uint64_t kEmpty = 1; // no sum of rank words is 1
    const PaidTables& m_paid;
    std::vector<Slot> m_slots;
};

namespace {

// Lays the runs of one pattern of links over m drawn cards and adds what each
// way of laying them is worth to the holds that draw m cards.
class RunWalk
{
  public:
    RunWalk(const PaidLookup& paid, std::span<const int, 5> dealt, int m, HoldValues& values)
        : m_paid(paid), m_dealt(dealt), m_drawCount(m), m_target(&values)
    {
        for (const int c : dealt)
            m_dealtBits |= Bit(c);
        for (unsigned u = 1; u < kHoldCount; ++u) {
            const int top = std::bit_width(u) - 1;
            m_subset[u] = m_subset[u & ~(1u << top)].with(dealt[static_cast<std::size_t>(top)]);
        }
    }

    void walk(unsigned links, double weight)
    {
        m_links = links;
        step(0, m_dealt[4], m_dealtBits, CardSet{}, 0, weight);
    }

  private:
    bool linked(int i) const { return i < m_drawCount && (m_links & (1u << i)); }

    void step(int i, int last, std::uint64_t taken, const CardSet& known, int singles,
              double weight)
    {
        if (i == m_drawCount) {
            leaf(known, singles, weight);
            return;
        }
        if (linked(i) && last != 0 && !(taken & Bit(Successor(last)))) {
            const int next = Successor(last);
            step(i + 1, next, taken | Bit(next), known.with(next), singles, weight);
        } else if (!m_runLaid && linked(i + 1)) {
            // The new run. What follows depends only on card 5's run before
            // it and its length: the places of the singles change nothing, so
            // patterns that share those two share one sum.
            int length = 1;
            while (linked(i + length))
                ++length;
            const std::size_t key = static_cast<std::size_t>(known.size) * 6 +
                                    static_cast<std::size_t>(length);
            if (!m_runDone[key]) {
                HoldValues* const target = m_target;
                m_target = &m_run[key];
                m_runLaid = true;
                const double each = 1.0 / (cards::kCardCount - std::popcount(taken));
                for (int c = 1; c <= cards::kCardCount; ++c)
                    if (!(taken & Bit(c)))
                        step(i + 1, c, taken | Bit(c), known.with(c), singles, each);
                m_runLaid = false;
                m_target = target;
                m_runDone[key] = true;
            }
            for (unsigned h = 0; h < kHoldCount; ++h)
                (*m_target)[h] += weight * m_run[key][h];
        } else {
            step(i + 1, 0, taken, known, singles + 1, weight);
        }
    }

    // The known drawn cards and `singles` more drawn uniformly from the rest:
    // each hold's paid total by inclusion and exclusion over the discards.
    void leaf(const CardSet& known, int singles, double weight)
    {
        const int held = 5 - m_drawCount;
        const int room = 5 - known.size; // dealt cards that can join the drawn ones
        std::array<std::int64_t, kHoldCount> paid{};
        for (unsigned u = 0; u < kHoldCount; ++u)
            if (kHeldCount[u] >= held && kHeldCount[u] <= room)
                paid[u] = m_paid.holding(known.with(m_subset[u]));
        const double scale = weight / static_cast<double>(detail::Choose(
                                          cards::kCardCount - 5 - known.size, singles));
        for (unsigned h = 0; h < kHoldCount; ++h) {
            if (kHeldCount[h] != held)
                continue;
            std::int64_t sum = 0;
            const unsigned discards = ~h & (kHoldCount - 1);
            // Every subset t of the discards, up to `singles` of them.
            for (unsigned t = discards;; t = (t - 1) & discards) {
                if (kHeldCount[t] <= singles)
                    sum += (kHeldCount[t] % 2 == 0 ? 1 : -1) * paid[h | t];
                if (t == 0)
                    break;
            }
            (*m_target)[h] += scale * static_cast<double>(sum);
        }
    }

    const PaidLookup& m_paid;
    std::span<const int, 5> m_dealt;
    int m_drawCount;
    HoldValues* m_target;
    std::uint64_t m_dealtBits = 0;
    bool m_runLaid = false;
    std::array<HoldValues, 6 * 6> m_run{};
    std::array<bool, 6 * 6> m_runDone{};
    unsigned m_links = 0;
    std::array<CardSet, kHoldCount> m_subset{};
};

} // namespace

DealModel GameDealModel()
{
    DealModel model;
    for (int i = 0; i < 5; ++i)
        model.link[static_cast<std::size_t>(i)] = LinkFromMeasure(
            static_cast<double>(kMeasuredNext[4 + i]) / static_cast<double>(kMeasuredFree[4 + i]),
            cards::kCardCount - 5 - i);
    return model;
}

double LinkFromMeasure(double successorChance, int unseen)
{
    const double uniform = 1.0 / unseen;
    return (successorChance - uniform) / (1.0 - uniform);
}

LinkMeasure MeasureLinks(cards::Random& random, std::uint64_t decks)
{
    LinkMeasure measure;
    for (std::uint64_t d = 0; d < decks; ++d) {
        const std::array<int, 10> top = ShuffledTop(random);
        std::uint64_t seen = 0;
        for (int k = 0; k < 9; ++k) {
            seen |= Bit(top[static_cast<std::size_t>(k)]);
            const int next = Successor(top[static_cast<std::size_t>(k)]);
            if (seen & Bit(next))
                continue;
            ++measure.free[static_cast<std::size_t>(k)];
            if (top[static_cast<std::size_t>(k) + 1] == next)
                ++measure.next[static_cast<std::size_t>(k)];
        }
    }
    return measure;
}

GameDeal::GameDeal(const PaidTables& paid, const DealModel& model)
    : m_paid(std::make_unique<PaidLookup>(paid)), m_model(model)
{
}

GameDeal::~GameDeal() = default;

HoldValues GameDeal::values(std::span<const int, 5> dealt) const
{
    HoldValues values{};
    for (int m = 0; m <= 5; ++m) {
        RunWalk walk(*m_paid, dealt, m, values);
        for (unsigned links = 0; links < (1u << m); ++links) {
            double weight = 1;
            for (int i = 0; i < m; ++i)
                weight *= (links & (1u << i)) ? m_model.link[static_cast<std::size_t>(i)]
                                              : 1 - m_model.link[static_cast<std::size_t>(i)];
            walk.walk(links, weight);
        }
    }
    return values;
}

unsigned BestOf(const HoldValues& values)
{
    unsigned best = 0;
    for (unsigned h = 1; h < kHoldCount; ++h) {
        const double gap = values[h] - values[best];
        if (gap > 1e-12 || (gap >= -1e-12 && (kHeldCount[h] < kHeldCount[best])))
            best = h;
    }
    return best;
}

} // namespace odds
