#include "game_deal.h"

#include "card_code.h"
#include "game_deal_links.h"
#include "game_shuffle.h"
#include "random.h"
#include "split_mix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace odds {
namespace {

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
        return {key + other.key, rankMask | other.rankMask, suits | other.suits, size + other.size};
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
        for (int length = 2; length <= 5; ++length) {
            std::vector<std::int64_t>& sums = m_runSums[static_cast<std::size_t>(length)];
            sums.resize(static_cast<std::size_t>(SetsSmallerThan(6 - length)));
            addRunSums(length, CardSet{}, 0, 0, 0, 0, sums);
        }
    }

    std::int64_t holding(const CardSet& set) const
    {
        std::size_t slot = set.key >> (64 - kSlotBits);
        while (m_slots[slot].key != set.key)
            slot = (slot + 1) & (kSlots - 1);
        const int oneSuit = set.size == 0 ? 4 : ((set.suits & (set.suits - 1)) == 0 ? 1 : 0);
        return m_slots[slot].paid + oneSuit * m_paid.suitedShift(set.rankMask);
    }

    // The paid totals of the sets S plus a whole run of `length` cards (a
    // card and its successors) that misses S, summed over every such run.
    // set lists S's cards in ascending order; S has at most 5 - length.
    std::int64_t runSum(int length, const int* set, int n) const
    {
        return m_runSums[static_cast<std::size_t>(length)]
                        [static_cast<std::size_t>(SetIndex(set, n))];
    }

  private:
    // Sets of up to five cards, in ascending order, numbered by size then by
    // their combinations' colex rank.
    static std::int64_t SetIndex(const int* set, int n)
    {
        std::int64_t index = SetsSmallerThan(n);
        for (int k = 0; k < n; ++k)
            index += Choose(set[k] - 1, k + 1);
        return index;
    }
    static std::int64_t SetsSmallerThan(int n)
    {
        std::int64_t count = 0;
        for (int k = 0; k < n; ++k)
            count += Choose(cards::kCardCount, k);
        return count;
    }

    // runSum's entries for the set of n cards held (colex its rank among
    // sets of n, bits its cards, last its highest) and every set grown from
    // it by higher cards.
    void addRunSums(int length, const CardSet& held, int n, std::int64_t colex, std::uint64_t bits,
                    int last, std::vector<std::int64_t>& sums)
    {
        std::int64_t sum = 0;
        for (int start = 1; start <= cards::kCardCount; ++start) {
            CardSet hand = held;
            bool misses = true;
            for (int k = 0, c = start; k < length; ++k, c = Successor(c)) {
                misses = misses && !(bits & Bit(c));
                hand = hand.with(c);
            }
            if (misses)
                sum += holding(hand);
        }
        sums[static_cast<std::size_t>(SetsSmallerThan(n) + colex)] = sum;
        if (n >= 5 - length)
            return;
        for (int c = last + 1; c <= cards::kCardCount; ++c)
            addRunSums(length, held.with(c), n + 1, colex + Choose(c - 1, n + 1), bits | Bit(c), c,
                       sums);
    }

    // Every multiset of ranks no lower than `low`, grown from one of `size`
    // ranks with this index and key.
    void add(const PaidTables& paid, int index, int size, int low, std::uint64_t key)
    {
        // The words are fixed, so two multisets sharing a key (or the empty
        // slot's mark) would show on every run; none do.
        std::size_t slot = key >> (64 - kSlotBits);
        while (m_slots[slot].key != kEmpty) {
            if (m_slots[slot].key == key)
                throw std::logic_error("two rank multisets share a key");
            slot = (slot + 1) & (kSlots - 1);
        }
        if (key == kEmpty)
            throw std::logic_error("a rank multiset has the empty slot's key");
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
    static constexpr std::uint64_t kEmpty = 1; // no multiset's key, as add checks
    const PaidTables& m_paid;
    std::vector<Slot> m_slots;
    std::array<std::vector<std::int64_t>, 6> m_runSums; // by run length 2..5
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
            const std::size_t key =
                static_cast<std::size_t>(known.size) * 6 + static_cast<std::size_t>(length);
            if (!m_runDone[key]) {
                HoldValues* const target = m_target;
                m_target = &m_run[key];
                m_runLaid = true;
                const double each = 1.0 / (cards::kCardCount - std::popcount(taken));
                // Starts whose run meets a dealt card or card 5's run go
                // their own way; the others are summed at once.
                for (int c = 1; c <= cards::kCardCount; ++c)
                    if (!(taken & Bit(c)) && (taken & RunBits(c, length)))
                        step(i + 1, c, taken | Bit(c), known.with(c), singles, each);
                wholeRuns(known, length, each);
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

    // The cards of a run of `length` from c, c itself left out.
    static std::uint64_t RunBits(int c, int length)
    {
        std::uint64_t bits = 0;
        for (int k = 1; k < length; ++k) {
            c = Successor(c);
            bits |= Bit(c);
        }
        return bits;
    }

    // Every new run of `length` that meets no dealt card and no card of card
    // 5's run (the cards of chain): the paid totals of all of them at once,
    // from the look-up's sums over every run that misses a set, less the
    // runs that meet the dealt cards outside the set.
    void wholeRuns(const CardSet& chain, int length, double weight)
    {
        const int held = 5 - m_drawCount;
        const int room = 5 - chain.size - length;
        std::array<int, 5> chainCards{};
        for (int k = 0, c = m_dealt[4]; k < chain.size; ++k) {
            c = Successor(c);
            chainCards[static_cast<std::size_t>(k)] = c;
        }
        std::array<std::int64_t, kHoldCount> paid{};
        for (unsigned u = 0; u < kHoldCount; ++u) {
            if (kHeldCount[u] < held || kHeldCount[u] > room)
                continue;
            std::array<int, 5> set{};
            std::uint64_t setBits = 0;
            int n = 0;
            const auto insert = [&](int card) {
                setBits |= Bit(card);
                int k = n++;
                for (; k > 0 && set[static_cast<std::size_t>(k) - 1] > card; --k)
                    set[static_cast<std::size_t>(k)] = set[static_cast<std::size_t>(k) - 1];
                set[static_cast<std::size_t>(k)] = card;
            };
            for (int k = 0; k < chain.size; ++k)
                insert(chainCards[static_cast<std::size_t>(k)]);
            for (int p = 0; p < 5; ++p)
                if (u & (1u << p))
                    insert(m_dealt[static_cast<std::size_t>(p)]);
            std::int64_t sum = m_paid.runSum(length, set.data(), n);
            // Runs that miss the set but meet another dealt card: each
            // starts at most length - 1 cards before that card.
            std::uint64_t counted = 0;
            for (int p = 0; p < 5; ++p) {
                if (u & (1u << p))
                    continue;
                for (int k = 0, c = m_dealt[static_cast<std::size_t>(p)]; k < length;
                     ++k, c = c == 1 ? cards::kCardCount : c - 1) {
                    const std::uint64_t run = Bit(c) | RunBits(c, length);
                    if ((counted & Bit(c)) || (run & setBits))
                        continue;
                    counted |= Bit(c);
                    CardSet hand = chain.with(m_subset[u]);
                    for (int r = 0, x = c; r < length; ++r, x = Successor(x))
                        hand = hand.with(x);
                    sum -= m_paid.holding(hand);
                }
            }
            paid[u] = sum;
        }
        combine(paid, chain.size + length, m_drawCount - chain.size - length, weight);
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
        combine(paid, known.size, singles, weight);
    }

    // Each hold's share of paid totals over known drawn cards and every
    // hold's cards with some of its discards: the hands with none of them.
    void combine(const std::array<std::int64_t, kHoldCount>& paid, int known, int singles,
                 double weight)
    {
        const int held = 5 - m_drawCount;
        const double scale =
            weight / static_cast<double>(Choose(cards::kCardCount - 5 - known, singles));
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
