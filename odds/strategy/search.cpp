#include "strategy.h"

#include "card_code.h"
#include "hold.h"
#include "parallel.h"
#include "strategy_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <vector>

// The best list within a budget: the lists of one search path, each weighed
// with the exceptions that pay on it.
namespace odds {

namespace {

// What an exception on a run of thrown values gains, for every run at once:
// the deals whose thrown values miss a run lie in one gap between them, so
// each deal adds a square over (lowest, highest) in the gaps it leaves,
// summed by its corners; a run hits what all deals gain less what it misses.
struct RunSums
{
    static constexpr std::size_t kValues = 13;
    static constexpr std::size_t kSide = kValues + 1;
    static constexpr std::size_t kSize = 1 + kSide * kSide;

    // sorted: the distinct thrown values 0..12, ascending.
    static void Add(double* sums, const std::array<int, 5>& sorted, int count, double g)
    {
        sums[0] += g;
        double* corner = sums + 1;
        std::size_t lo = 0;
        for (int k = 0; k <= count; ++k) {
            const std::size_t hi =
                k < count ? static_cast<std::size_t>(sorted[static_cast<std::size_t>(k)]) : kValues;
            if (hi > lo) {
                corner[lo * kSide + lo] += g;
                corner[lo * kSide + hi] -= g;
                corner[hi * kSide + lo] -= g;
                corner[hi * kSide + hi] += g;
            }
            lo = hi + 1;
        }
    }

    explicit RunSums(const double* sums) : m_all(sums[0])
    {
        for (std::size_t a = 0; a < kValues; ++a)
            for (std::size_t b = 0; b < kValues; ++b)
                m_missed[a * kSide + b] =
                    sums[1 + a * kSide + b] + (a > 0 ? m_missed[(a - 1) * kSide + b] : 0.0) +
                    (b > 0 ? m_missed[a * kSide + b - 1] : 0.0) -
                    (a > 0 && b > 0 ? m_missed[(a - 1) * kSide + b - 1] : 0.0);
    }
    // The gain of the deals that throw away a value from a to b.
    double hit(std::size_t a, std::size_t b) const { return m_all - m_missed[a * kSide + b]; }

  private:
    double m_all;
    std::array<double, kSide * kSide> m_missed{};
};

} // namespace

struct StrategyData::Scan
{
    std::vector<StrategyException> best; // by line; instead < 0 where none
    std::vector<double> bestGain;
    std::vector<std::vector<std::uint32_t>> decides; // the classes each line decides
};

// One pass over the classes of the plain list. Every line below the deciding
// one that fits is a candidate; its gain is summed by the values the deciding
// hold throws away, so "a 10 or 9" is the sum for 10 and 9 less both.
// Deals that an exception of given already hands over are left out: a new one
// on the same line is asked after it. Only lines marked active (all, if none
// is) are offered one.
StrategyData::Scan StrategyData::scan(const std::vector<StrategyLine>& lines,
                                      const std::vector<StrategyException>& given,
                                      const std::vector<bool>& active,
                                      const std::vector<std::uint32_t>* only) const
{
    const PatternBook& book = *m_book;
    const int wildRank = m_family->wildRank();
    const auto n = lines.size();
    constexpr int kOff = std::numeric_limits<int>::max();
    constexpr std::size_t kValues = 13;
    constexpr std::size_t kSuit = kValues + kValues * kValues;
    constexpr std::size_t kTwoOfSuit = kSuit + 1;
    constexpr std::size_t kHeldRank = kTwoOfSuit + 1;
    // "a card of the held suit and a card from 2 to 5", for every run.
    constexpr std::size_t kRuns = kHeldRank + 1;
    constexpr std::size_t kStride = kRuns + RunSums::kSize;
    std::vector<int> rank(static_cast<std::size_t>(book.count()), kOff);
    for (std::size_t i = 0; i < n; ++i)
        for (const int p : lines[i])
            rank[static_cast<std::size_t>(p)] = static_cast<int>(i);
    // What a condition reads of a deal a lower line fits, kept by the pair of
    // lines: each pair's sums are then made at once, in a block that stays in
    // cache, rather than spread over every pair's blocks deal by deal.
    struct Deal
    {
        double gain;
        std::uint16_t thrown;  // the values thrown away, bit 0 for a 2
        std::uint16_t offSuit; // the same, off the held cards' suit
        std::uint16_t held;    // the values held
        bool suited;           // a thrown card of the one held suit
        bool twoOfSuit;
        bool heldRank;
    };
    std::vector<std::vector<Deal>> byPair(n * n);
    Scan out;
    std::vector<std::vector<const StrategyException*>> givenOf(n);
    for (const StrategyException& x : given)
        givenOf[static_cast<std::size_t>(x.line)].push_back(&x);
    std::vector<const Entry*> onLine(n, nullptr);
    std::vector<int> fitting;
    out.decides.resize(n);
    const std::size_t classes = only ? only->size() : m_classes.size();
    for (std::size_t i = 0; i < classes; ++i) {
        const std::size_t c = only ? (*only)[i] : i;
        fitting.clear();
        for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e) {
            const int r = rank[m_patterns[e]];
            if (r == kOff)
                continue;
            const Entry& entry = m_entries[e];
            const Entry*& at = onLine[static_cast<std::size_t>(r)];
            if (!at)
                fitting.push_back(r);
            if (!at || BetterHold(entry.value, entry.hold, at->value, at->hold))
                at = &entry;
        }
        if (fitting.empty())
            continue;
        std::sort(fitting.begin(), fitting.end());
        const auto u = static_cast<std::size_t>(fitting[0]);
        out.decides[u].push_back(static_cast<std::uint32_t>(c));
        const auto clear = [&] {
            for (const int r : fitting)
                onLine[static_cast<std::size_t>(r)] = nullptr;
        };
        if (!active.empty() && !active[u]) {
            clear();
            continue;
        }
        const Entry& decider = *onLine[u];
        const std::vector<const StrategyException*>& mine = givenOf[u];
        const bool handedOver = std::any_of(mine.begin(), mine.end(), [&](const auto* x) {
            return onLine[static_cast<std::size_t>(x->instead)] &&
                   x->applies(m_classes[c].cards, decider.hold, wildRank);
        });
        if (handedOver || fitting.size() < 2 ||
            static_cast<std::size_t>(fitting[1]) > u + kExceptionReach) {
            clear();
            continue;
        }
        unsigned suits = 0;
        const Hold hold(decider.hold);
        // Wild cards are neither thrown away nor named by a condition.
        const auto natural = [&](int card) { return RankOf(card) != wildRank; };
        Deal deal{};
        for (const int card : hold.held(m_classes[c].cards))
            if (natural(card)) {
                suits |= 1u << cards::CardSuit(card);
                deal.held = static_cast<std::uint16_t>(deal.held | 1u << (Value(RankOf(card)) - 2));
            }
        const bool oneSuit = suits != 0 && (suits & (suits - 1)) == 0;
        std::array<int, 4> ofSuit{};
        for (const int card : hold.thrown(m_classes[c].cards)) {
            if (!natural(card))
                continue;
            const unsigned v = 1u << (Value(RankOf(card)) - 2);
            const int suit = cards::CardSuit(card);
            const bool heldSuit = (suits & (1u << suit)) != 0;
            deal.thrown = static_cast<std::uint16_t>(deal.thrown | v);
            if (!heldSuit)
                deal.offSuit = static_cast<std::uint16_t>(deal.offSuit | v);
            deal.suited = deal.suited || (oneSuit && heldSuit);
            deal.heldRank = deal.heldRank || (deal.held & v);
            deal.twoOfSuit =
                deal.twoOfSuit || (heldSuit && ++ofSuit[static_cast<std::size_t>(suit)] == 2);
        }
        const double w = m_classes[c].weight;
        for (std::size_t k = 1; k < fitting.size(); ++k) {
            const auto l = static_cast<std::size_t>(fitting[k]);
            if (l > u + kExceptionReach)
                break;
            deal.gain = w * static_cast<double>(onLine[l]->value - decider.value);
            byPair[u * n + l].push_back(deal);
        }
        clear();
    }
    out.best.assign(n, StrategyException{.instead = -1});
    out.bestGain.assign(n, 0);
    const auto offer = [&](double g, const StrategyException& x) {
        const auto u = static_cast<std::size_t>(x.line);
        if (g > out.bestGain[u]) {
            out.bestGain[u] = g;
            out.best[u] = x;
        }
    };
    // A condition of more words must win by more than the sums' rounding:
    // where the suit alone gains as much, the list says only that.
    const auto wordier = [](double g) { return g - 1e-9 * std::abs(g) - 1.0; };
    const auto run = [](std::size_t a, std::size_t b) { return ((2u << b) - (1u << a)) << 2; };
    // Each pair of lines sums its gains once for any hold and once more for
    // holds that keep a card of each value: "it holds a 10 and ...".
    constexpr std::size_t kHeld = 1 + kValues;
    std::vector<double> sums(kHeld * kStride);
    // Once more for each value the deal throws away off the held suit: the
    // deals without one are all less those with it ("..., and no 10").
    std::vector<double> thrownToo(kValues * RunSums::kSize);
    // Those are offered after all the others, as the first that gains most.
    std::vector<double> withoutGain(n, 0);
    std::vector<StrategyException> without(n, StrategyException{.instead = -1});
    for (std::size_t key = 0; key < n * n; ++key) {
        const std::vector<Deal>& deals = byPair[key];
        if (deals.empty())
            continue;
        const auto u = static_cast<int>(key / n);
        const auto l = static_cast<int>(key % n);
        unsigned used = 0; // the held buckets met, bit h
        bool anySuited = false;
        for (const Deal& deal : deals) {
            const double g = deal.gain;
            std::array<int, 5> thrownSorted{};
            int count = 0;
            for (unsigned t = deal.thrown; t != 0; t &= t - 1)
                thrownSorted[static_cast<std::size_t>(count++)] = std::countr_zero(t);
            for (unsigned h = 1u | (static_cast<unsigned>(deal.held) << 1); h != 0; h &= h - 1) {
                const auto b = static_cast<std::size_t>(std::countr_zero(h));
                double* sum = sums.data() + b * kStride;
                if (!(used & (1u << b))) {
                    used |= 1u << b;
                    std::fill(sum, sum + kStride, 0.0);
                }
                for (int a = 0; a < count; ++a) {
                    const auto va =
                        static_cast<std::size_t>(thrownSorted[static_cast<std::size_t>(a)]);
                    sum[va] += g;
                    for (int z = a + 1; z < count; ++z)
                        sum[kValues + va * kValues +
                            static_cast<std::size_t>(thrownSorted[static_cast<std::size_t>(z)])] +=
                            g;
                }
                if (deal.suited) {
                    sum[kSuit] += g;
                    RunSums::Add(sum + kRuns, thrownSorted, count, g);
                }
                if (deal.twoOfSuit)
                    sum[kTwoOfSuit] += g;
                if (deal.heldRank)
                    sum[kHeldRank] += g;
            }
            if (deal.suited) {
                if (!anySuited)
                    std::fill(thrownToo.begin(), thrownToo.end(), 0.0);
                anySuited = true;
                for (unsigned t = deal.offSuit; t != 0; t &= t - 1)
                    RunSums::Add(thrownToo.data() +
                                     static_cast<std::size_t>(std::countr_zero(t)) * RunSums::kSize,
                                 thrownSorted, count, g);
            }
        }
        for (unsigned hs = used; hs != 0; hs &= hs - 1) {
            const auto h = static_cast<std::size_t>(std::countr_zero(hs));
            const double* sum = sums.data() + h * kStride;
            const int keeps = h == 0 ? 0 : static_cast<int>(h) + 1;
            for (std::size_t a = 0; a < kValues; ++a) {
                offer(sum[a],
                      {.line = u, .instead = l, .values = 1u << (a + 2), .heldValue = keeps});
                for (std::size_t b = a + 1; b < kValues; ++b) {
                    const unsigned both = (1u << (a + 2)) | (1u << (b + 2));
                    const double together = sum[kValues + a * kValues + b];
                    offer(sum[a] + sum[b] - together,
                          {.line = u, .instead = l, .values = both, .heldValue = keeps});
                    offer(together, {.line = u,
                                     .instead = l,
                                     .values = both,
                                     .allValues = true,
                                     .heldValue = keeps});
                }
            }
            offer(sum[kSuit], {.line = u, .instead = l, .heldSuit = true, .heldValue = keeps});
            offer(sum[kTwoOfSuit],
                  {.line = u, .instead = l, .twoOfSuit = true, .heldValue = keeps});
            offer(sum[kHeldRank], {.line = u, .instead = l, .heldRank = true, .heldValue = keeps});
            // A card of the held suit with one of a run of values; the whole
            // run would say no more than the suit alone.
            const RunSums withSuit(sum + kRuns);
            for (std::size_t a = 0; a < kValues; ++a)
                for (std::size_t b = a; b < kValues && b - a + 1 < kValues; ++b)
                    offer(wordier(withSuit.hit(a, b)), {.line = u,
                                                        .instead = l,
                                                        .values = run(a, b),
                                                        .heldSuit = true,
                                                        .heldValue = keeps,
                                                        .suitAnd = true});
        }
        if (!anySuited)
            continue;
        // The same runs, less the deals that throw away one more value.
        const RunSums withSuit(sums.data() + kRuns);
        for (std::size_t v = 0; v < kValues; ++v) {
            const RunSums alsoThrown(thrownToo.data() + v * RunSums::kSize);
            for (std::size_t a = 0; a < kValues; ++a)
                for (std::size_t b = a; b < kValues && b - a + 1 < kValues; ++b) {
                    const double g = wordier(withSuit.hit(a, b) - alsoThrown.hit(a, b));
                    if ((v < a || v > b) && g > withoutGain[static_cast<std::size_t>(u)]) {
                        withoutGain[static_cast<std::size_t>(u)] = g;
                        without[static_cast<std::size_t>(u)] = {.line = u,
                                                                .instead = l,
                                                                .values = run(a, b),
                                                                .heldSuit = true,
                                                                .suitAnd = true,
                                                                .without = static_cast<int>(v) + 2};
                    }
                }
        }
    }
    for (std::size_t u = 0; u < n; ++u)
        if (without[u].instead >= 0)
            offer(withoutGain[u], without[u]);
    return out;
}

Strategy StrategyData::best(int maxLines, double minGain) const
{
    maxLines = std::max(1, maxLines);
    const double threshold =
        minGain * static_cast<double>(Wide(m_family->deck().deals) * m_family->deck().denominator);
    // A list with the exceptions that pay on it, best first, each after the
    // earlier ones of its line: any first few form a strategy, and their
    // gains add.
    struct Candidate
    {
        std::vector<StrategyLine> lines;
        std::vector<StrategyException> exceptions;
        std::vector<Wide> gained;
        Wide plainPaid = 0;
    };
    // Weighs a list as it stands; returns its costliest departures (with the
    // first round's exceptions).
    const auto weigh = [&](StrategySearch& state, std::vector<Candidate>& candidates,
                           bool plainToo) {
        Candidate c;
        c.lines = state.lines();
        // Each round scans the deals the exceptions so far leave on their
        // line; one that pays is asked after those of earlier rounds.
        std::vector<StrategyException> kept;
        std::vector<int> round;
        // A line whose last round added nothing would be offered the same
        // again: later rounds look only at the deals the others decide.
        std::vector<bool> active;
        std::vector<std::vector<std::uint32_t>> decides;
        std::vector<std::uint32_t> only;
        std::vector<Wide> gained; // by kept exception, exact
        std::vector<Deviation> costliest;
        bool plainKnown = false;
        for (int r = 0; r < kExceptionRounds; ++r) {
            const Scan s = scan(c.lines, kept, active, r == 0 ? nullptr : &only);
            if (r == 0)
                decides = s.decides;
            std::vector<StrategyException> tried = kept;
            for (std::size_t u = 0; u < c.lines.size(); ++u)
                if (s.best[u].instead >= 0 && s.bestGain[u] > 0)
                    tried.push_back(s.best[u]);
            if (tried.size() == kept.size())
                break;
            // The scan sums in doubles: the exact grade says what each one wins.
            // A round's gains are whole: its exceptions are asked after those
            // of earlier rounds, on the deals of their own lines.
            const StrategyGrade g = gradeOn(c.lines, tried, r == 0 ? nullptr : &only);
            if (r == 0) {
                c.plainPaid = g.paid;
                for (const Wide w : g.gained)
                    c.plainPaid -= w;
                costliest = g.costliest;
                plainKnown = true;
            }
            const std::size_t before = kept.size();
            for (std::size_t k = before; k < tried.size(); ++k)
                if (g.gained[k] > 0 && static_cast<double>(g.gained[k]) >= threshold) {
                    kept.push_back(tried[k]);
                    round.push_back(r);
                    gained.push_back(g.gained[k]);
                }
            if (kept.size() == before)
                break;
            active.assign(c.lines.size(), false);
            for (std::size_t k = before; k < kept.size(); ++k)
                active[static_cast<std::size_t>(kept[k].line)] = true;
            only.clear();
            for (std::size_t u = 0; u < c.lines.size(); ++u)
                if (active[u])
                    only.insert(only.end(), decides[u].begin(), decides[u].end());
        }
        if (!plainKnown) {
            const StrategyGrade g = grade(c.lines);
            c.plainPaid = g.paid;
            costliest = g.costliest;
        }
        // Best first, but never before an exception of its line from an
        // earlier round: then any first few form a strategy and their gains add.
        std::vector<std::size_t> order;
        std::vector<bool> taken(kept.size(), false);
        const auto waits = [&](std::size_t k) {
            for (std::size_t j = 0; j < kept.size(); ++j)
                if (!taken[j] && kept[j].line == kept[k].line && round[j] < round[k])
                    return true;
            return false;
        };
        while (order.size() < kept.size()) {
            std::size_t best = kept.size();
            for (std::size_t k = 0; k < kept.size(); ++k)
                if (!taken[k] && !waits(k) && (best == kept.size() || gained[k] > gained[best]))
                    best = k;
            taken[best] = true;
            order.push_back(best);
        }
        // Lines an exception names stay; the others merge where no deal
        // changes, which keeps every exception's gain. Without exceptions the
        // same list merges further.
        std::vector<int> named;
        for (const std::size_t k : order) {
            c.exceptions.push_back(kept[k]);
            c.gained.push_back(gained[k]);
            named.push_back(state.lineAt(kept[k].line));
            named.push_back(state.lineAt(kept[k].instead));
        }
        state.mergeSilent(named);
        c.lines = state.lines();
        for (std::size_t k = 0; k < c.exceptions.size(); ++k) {
            c.exceptions[k].line = state.rankOfLine(named[2 * k]);
            c.exceptions[k].instead = state.rankOfLine(named[2 * k + 1]);
        }
        candidates.push_back(c);
        if (plainToo && !named.empty()) {
            state.mergeSilent();
            candidates.push_back({state.lines(), {}, {}, c.plainPaid});
        }
        return costliest;
    };
    // Moves from different lists often reach the same one: each is weighed once.
    struct Weighed
    {
        std::vector<Candidate> candidates;
        std::vector<Deviation> costliest;
    };
    std::map<std::pair<std::vector<StrategyLine>, bool>, Weighed> known;
    std::mutex knownLock;
    const auto weighOnce = [&](StrategySearch& state, std::vector<Candidate>& candidates,
                               bool plainToo) {
        auto key = std::pair(state.lines(), plainToo);
        {
            const std::lock_guard<std::mutex> guard(knownLock);
            if (const auto it = known.find(key); it != known.end()) {
                candidates.insert(candidates.end(), it->second.candidates.begin(),
                                  it->second.candidates.end());
                return it->second.costliest;
            }
        }
        Weighed fresh;
        fresh.costliest = weigh(state, fresh.candidates, plainToo);
        candidates.insert(candidates.end(), fresh.candidates.begin(), fresh.candidates.end());
        const std::lock_guard<std::mutex> guard(knownLock);
        return known.emplace(std::move(key), std::move(fresh)).first->second.costliest;
    };
    // Patterns the cuts dropped may serve an exception where no plain deal
    // reaches them; with them the exceptions found differ, so the list is
    // weighed both ways.
    const auto weighBoth = [&](StrategySearch& state, std::vector<Candidate>& candidates,
                               bool plainToo) {
        StrategySearch adopted = state;
        const std::size_t from = candidates.size();
        std::vector<Deviation> costliest = weighOnce(state, candidates, plainToo);
        // Only the lines the exceptions hand deals to take dropped patterns;
        // where none joins one, a second weighing would repeat the first.
        const Candidate& plain = candidates[from];
        std::vector<int> into;
        for (const StrategyException& x : plain.exceptions)
            into.push_back(
                adopted.lineOfPattern(plain.lines[static_cast<std::size_t>(x.instead)].front()));
        if (adopted.adoptSilent(into))
            weighOnce(adopted, candidates, false);
        return costliest;
    };
    // What a list pays within the budget with its first few exceptions:
    // (paid, exceptions taken, entries), or nothing where it has too many lines.
    struct Within
    {
        Wide paid = 0;
        std::size_t taken = 0;
        std::size_t entries = 0;
        bool fits = false;
        bool beats(const Within& other) const
        {
            return fits && (!other.fits || paid > other.paid ||
                            (paid == other.paid && entries < other.entries));
        }
    };
    const auto within = [&](const Candidate& c) {
        Within best;
        Wide paid = c.plainPaid;
        for (std::size_t r = 0; c.lines.size() + r <= static_cast<std::size_t>(maxLines); ++r) {
            const Within here{paid, r, c.lines.size() + r, true};
            if (here.beats(best))
                best = here;
            if (r == c.exceptions.size())
                break;
            paid += c.gained[r];
        }
        return best;
    };
    // The lists a little longer than the budget may merge into it; shorter
    // ones leave room for exceptions. Each is weighed on its own copy.
    std::vector<StrategySearch> states;
    StrategySearch search(*this);
    search.descend([&](const StrategySearch& state) {
        if (state.size() <= maxLines + kLongerLists)
            states.push_back(state);
        return state.size() > maxLines - kShorterLists;
    });
    std::vector<std::vector<Candidate>> weighed(states.size());
    std::vector<std::vector<Deviation>> costliest(states.size());
    std::vector<StrategySearch> settled;
    for (StrategySearch& state : states) {
        state.finish();
        settled.push_back(state);
    }
    const auto forEach = [&](std::vector<std::size_t> items, auto&& f) {
        std::atomic<std::size_t> next{0};
        RunWorkers(std::min(m_threads, static_cast<int>(items.size())), [&](int) {
            for (std::size_t i; (i = next++) < items.size();)
                f(items[i]);
        });
    };
    std::vector<std::size_t> all(states.size());
    std::iota(all.begin(), all.end(), 0);
    forEach(all, [&](std::size_t i) { costliest[i] = weighBoth(states[i], weighed[i], true); });

    // The settled order is the best without exceptions; where a departure
    // costs most, the line of the better hold may pay above the deciding one
    // once exceptions hand back what it plays worse, or a pattern the cuts
    // dropped may pay on a line of its own there. Every such move is
    // weighed, and the one that pays most with all its exceptions is the
    // start of the next step; no budget changes the steps, so the lists of
    // a larger budget take in those of a smaller one.
    const auto whole = [](const Candidate& c) {
        return std::accumulate(c.gained.begin(), c.gained.end(), c.plainPaid);
    };
    // A list longer than the budget enters it only by merging lines: its
    // moves are weighed on the lists that fit.
    std::vector<std::size_t> refined;
    for (const std::size_t i : all)
        if (settled[i].size() >= kRefinedFrom && settled[i].size() <= maxLines)
            refined.push_back(i);
    forEach(refined, [&](std::size_t i) {
        std::optional<StrategySearch> base(settled[i]);
        Wide score = 0;
        for (const Candidate& c : weighed[i])
            score = std::max(score, whole(c));
        std::vector<Deviation> departures = costliest[i];
        for (int step = 0; step < kReorderSteps; ++step) {
            std::optional<StrategySearch> better;
            std::vector<Deviation> next;
            if (departures.size() > kReorderTries)
                departures.resize(kReorderTries);
            for (const Deviation& d : departures) {
                if (d.bestPattern == PatternBook::kNoPattern)
                    continue;
                const int lower = base->lineOfPattern(d.bestPattern);
                if (lower >= 0 && base->rankOfLine(lower) <= d.listLine)
                    continue;
                StrategySearch variant = *base;
                if (lower >= 0)
                    variant.moveAbove(lower, d.listLine);
                else
                    variant.insertAbove(d.bestPattern, d.listLine);
                StrategySearch copy = variant;
                const std::size_t from = weighed[i].size();
                std::vector<Deviation> c = weighBoth(copy, weighed[i], false);
                Wide w = 0;
                for (std::size_t k = from; k < weighed[i].size(); ++k)
                    w = std::max(w, whole(weighed[i][k]));
                if (w > score) {
                    score = w;
                    next = std::move(c);
                    better.emplace(std::move(variant));
                }
            }
            if (!better)
                break;
            base.emplace(std::move(*better));
            departures = std::move(next);
        }
    });

    // The list and the number of its exceptions that pay most within the
    // budget; of equal returns the one with fewer entries.
    const Candidate* chosen = nullptr;
    Within best;
    for (const std::vector<Candidate>& some : weighed)
        for (const Candidate& c : some)
            if (const Within w = within(c); w.beats(best)) {
                best = w;
                chosen = &c;
            }
    const std::size_t taken = best.taken;
    Strategy strategy;
    if (!chosen)
        return strategy;
    strategy.exceptions.assign(chosen->exceptions.begin(),
                               chosen->exceptions.begin() + static_cast<std::ptrdiff_t>(taken));
    // A line holds exactly the wild cards of the deals it can decide, so lines
    // of different counts never meet: the list reads in groups, most wild
    // cards first, as players' lists do, and plays every deal the same.
    std::vector<std::size_t> order(chosen->lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return m_book->wilds(chosen->lines[a][0]) > m_book->wilds(chosen->lines[b][0]);
    });
    std::vector<int> rankOf(order.size());
    for (std::size_t r = 0; r < order.size(); ++r) {
        strategy.lines.push_back(chosen->lines[order[r]]);
        rankOf[order[r]] = static_cast<int>(r);
    }
    for (StrategyException& x : strategy.exceptions) {
        x.line = rankOf[static_cast<std::size_t>(x.line)];
        x.instead = rankOf[static_cast<std::size_t>(x.instead)];
    }
    // A line's exceptions keep the order they are asked in.
    std::stable_sort(strategy.exceptions.begin(), strategy.exceptions.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    strategy.grade = grade(strategy.lines, strategy.exceptions);
    // A line that no deal reaches, kept for an exception the budget left out,
    // is an entry spent for nothing.
    std::vector<int> newRank(strategy.lines.size(), -1);
    std::vector<StrategyLine> reached;
    for (std::size_t i = 0; i < strategy.lines.size(); ++i) {
        const bool named =
            std::any_of(strategy.exceptions.begin(), strategy.exceptions.end(), [&](const auto& x) {
                return x.line == static_cast<int>(i) || x.instead == static_cast<int>(i);
            });
        if (strategy.grade.decides[i] == 0 && !named)
            continue;
        newRank[i] = static_cast<int>(reached.size());
        reached.push_back(strategy.lines[i]);
    }
    if (reached.size() == strategy.lines.size())
        return strategy;
    strategy.lines = std::move(reached);
    for (StrategyException& x : strategy.exceptions) {
        x.line = newRank[static_cast<std::size_t>(x.line)];
        x.instead = newRank[static_cast<std::size_t>(x.instead)];
    }
    strategy.grade = grade(strategy.lines, strategy.exceptions);
    return strategy;
}

} // namespace odds
