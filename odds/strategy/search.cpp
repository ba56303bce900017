#include "strategy.h"

#include "card_code.h"
#include "hold.h"
#include "parallel.h"
#include "strategy_search.h"

#include <algorithm>
#include <atomic>
#include <vector>

// The best list within a budget: the lists of one search path, each weighed
// with the exceptions that pay on it.
namespace odds {

struct StrategyData::Scan
{
    std::vector<StrategyException> best; // by line; instead < 0 where none
    std::vector<double> bestGain;
};

// One pass over the classes of the plain list. Every line below the deciding
// one that fits is a candidate; its gain is summed by the values the deciding
// hold throws away, so "a 10 or 9" is the sum for 10 and 9 less both.
// Deals that an exception of given already hands over are left out: a new one
// on the same line is asked after it.
StrategyData::Scan StrategyData::scan(const std::vector<StrategyLine>& lines,
                                      const std::vector<StrategyException>& given) const
{
    const PatternBook& book = *m_book;
    const int wildRank = m_family->wildRank();
    const auto n = lines.size();
    constexpr int kOff = std::numeric_limits<int>::max();
    constexpr std::size_t kValues = 13;
    constexpr std::size_t kSuit = kValues + kValues * kValues;
    constexpr std::size_t kTwoOfSuit = kSuit + 1;
    constexpr std::size_t kStride = kTwoOfSuit + 1;
    std::vector<int> rank(static_cast<std::size_t>(book.count()), kOff);
    for (std::size_t i = 0; i < n; ++i)
        for (const int p : lines[i])
            rank[static_cast<std::size_t>(p)] = static_cast<int>(i);
    // Each pair of lines sums its gains once for any hold and once more for
    // holds that keep a card of each value: "it holds a 10 and ...".
    constexpr std::size_t kHeld = 1 + kValues;
    // Only pairs u < l: the deciding line above the one that fits.
    const auto pair = [n](std::size_t u, std::size_t l) {
        return u * (2 * n - u - 1) / 2 + l - u - 1;
    };
    std::vector<double> sums(n * (n - 1) / 2 * kHeld * kStride, 0);
    Scan out;
    std::vector<const Entry*> onLine(n, nullptr);
    std::vector<int> fitting;
    for (std::size_t c = 0; c < m_classes.size(); ++c) {
        fitting.clear();
        for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e) {
            const Entry& entry = m_entries[e];
            const int r = rank[entry.pattern];
            if (r == kOff)
                continue;
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
        const Entry& decider = *onLine[u];
        const bool handedOver = std::any_of(given.begin(), given.end(), [&](const auto& x) {
            return x.line == fitting[0] && onLine[static_cast<std::size_t>(x.instead)] &&
                   x.applies(m_classes[c].cards, decider.hold, wildRank);
        });
        if (handedOver) {
            for (const int r : fitting)
                onLine[static_cast<std::size_t>(r)] = nullptr;
            continue;
        }
        const double w = m_classes[c].weight;
        std::array<int, 5> thrown{};
        int count = 0;
        unsigned suits = 0;
        const Hold hold(decider.hold);
        // Wild cards are neither thrown away nor named by a condition.
        const auto natural = [&](int card) { return RankOf(card) != wildRank; };
        for (const int card : hold.held(m_classes[c].cards))
            if (natural(card))
                suits |= 1u << cards::CardSuit(card);
        std::array<std::size_t, 6> held{0};
        std::size_t heldCount = 1; // bucket 0: any hold
        unsigned heldSeen = 0;
        for (const int card : hold.held(m_classes[c].cards)) {
            if (!natural(card))
                continue;
            const int v = Value(RankOf(card)) - 2;
            if (!(heldSeen & (1u << v)))
                held[heldCount++] = 1 + static_cast<std::size_t>(v);
            heldSeen |= 1u << v;
        }
        bool suited = false;
        bool twoOfSuit = false;
        std::array<int, 4> ofSuit{};
        unsigned seen = 0;
        for (const int card : hold.thrown(m_classes[c].cards)) {
            if (!natural(card))
                continue;
            const int v = Value(RankOf(card)) - 2;
            if (!(seen & (1u << v)))
                thrown[static_cast<std::size_t>(count++)] = v;
            seen |= 1u << v;
            suited = suited || (suits != 0 && (suits & (suits - 1)) == 0 &&
                                (suits & (1u << cards::CardSuit(card))));
            const int suit = cards::CardSuit(card);
            twoOfSuit = twoOfSuit ||
                        ((suits & (1u << suit)) && ++ofSuit[static_cast<std::size_t>(suit)] == 2);
        }
        for (std::size_t k = 1; k < fitting.size(); ++k) {
            const auto l = static_cast<std::size_t>(fitting[k]);
            const double g = w * static_cast<double>(onLine[l]->value - decider.value);
            for (std::size_t h = 0; h < heldCount; ++h) {
                double* sum = &sums[(pair(u, l) * kHeld + held[h]) * kStride];
                for (int a = 0; a < count; ++a) {
                    const auto va = static_cast<std::size_t>(thrown[static_cast<std::size_t>(a)]);
                    sum[va] += g;
                    for (int b = 0; b < count; ++b)
                        if (b != a)
                            sum[kValues + va * kValues +
                                static_cast<std::size_t>(thrown[static_cast<std::size_t>(b)])] += g;
                }
                if (suited)
                    sum[kSuit] += g;
                if (twoOfSuit)
                    sum[kTwoOfSuit] += g;
            }
        }
        for (const int r : fitting)
            onLine[static_cast<std::size_t>(r)] = nullptr;
    }
    out.best.assign(n, StrategyException{0, -1, 0, false, false});
    out.bestGain.assign(n, 0);
    for (std::size_t u = 0; u < n; ++u)
        for (std::size_t l = u + 1; l < n; ++l)
            for (std::size_t h = 0; h < kHeld; ++h) {
                const double* sum = &sums[(pair(u, l) * kHeld + h) * kStride];
                const int keeps = h == 0 ? 0 : static_cast<int>(h) + 1;
                const auto offer = [&](double g, unsigned values, bool heldSuit, bool all,
                                       bool twoOfSuit = false) {
                    if (g > out.bestGain[u]) {
                        out.bestGain[u] = g;
                        out.best[u] = {static_cast<int>(u),
                                       static_cast<int>(l),
                                       values,
                                       heldSuit,
                                       twoOfSuit,
                                       all,
                                       keeps};
                    }
                };
                for (std::size_t a = 0; a < kValues; ++a) {
                    offer(sum[a], 1u << (a + 2), false, false);
                    for (std::size_t b = a + 1; b < kValues; ++b) {
                        const unsigned both = (1u << (a + 2)) | (1u << (b + 2));
                        const double together = sum[kValues + a * kValues + b];
                        offer(sum[a] + sum[b] - together, both, false, false);
                        offer(together, both, false, true);
                    }
                }
                offer(sum[kSuit], 0, true, false);
                offer(sum[kTwoOfSuit], 0, false, false, true);
            }
    return out;
}

Strategy StrategyData::best(int maxLines, double minGain) const
{
    maxLines = std::max(1, maxLines);
    const double threshold =
        minGain * static_cast<double>(Wide(m_family->deck().deals) * m_family->deck().denominator);
    // A list with the exceptions that pay on it, best first: they amend
    // distinct lines, so their gains add and any first few form a strategy.
    struct Candidate
    {
        std::vector<StrategyLine> lines;
        std::vector<StrategyException> exceptions;
        std::vector<Wide> gained;
        Wide plainPaid = 0;
    };
    const auto consider = [&](StrategySearch& state, std::vector<Candidate>& candidates) {
        state.finish();
        Candidate c;
        c.lines = state.lines();
        // Each round scans the deals the exceptions so far leave on their
        // line; one that pays is asked after those of earlier rounds.
        std::vector<StrategyException> kept;
        std::vector<int> round;
        for (int r = 0; r < kExceptionRounds; ++r) {
            const Scan s = scan(c.lines, kept);
            std::vector<StrategyException> tried = kept;
            for (std::size_t u = 0; u < c.lines.size(); ++u)
                if (s.best[u].instead >= 0 && s.bestGain[u] > 0)
                    tried.push_back(s.best[u]);
            if (tried.size() == kept.size())
                break;
            // The scan sums in doubles: the exact grade says what each one wins.
            const StrategyGrade g = grade(c.lines, tried);
            const std::size_t before = kept.size();
            for (std::size_t k = before; k < tried.size(); ++k)
                if (g.gained[k] > 0 && static_cast<double>(g.gained[k]) >= threshold) {
                    kept.push_back(tried[k]);
                    round.push_back(r);
                }
            if (kept.size() == before)
                break;
        }
        const StrategyGrade g = grade(c.lines, kept);
        c.plainPaid = g.paid;
        for (const Wide gained : g.gained)
            c.plainPaid -= gained;
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
                if (!taken[k] && !waits(k) && (best == kept.size() || g.gained[k] > g.gained[best]))
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
            c.gained.push_back(g.gained[k]);
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
        if (!named.empty()) {
            state.mergeSilent();
            candidates.push_back({state.lines(), {}, {}, c.plainPaid});
        }
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
    std::atomic<std::size_t> next{0};
    RunWorkers(m_threads, [&](int) {
        for (std::size_t i; (i = next++) < states.size();)
            consider(states[i], weighed[i]);
    });
    std::vector<Candidate> candidates;
    for (std::vector<Candidate>& some : weighed)
        for (Candidate& c : some)
            candidates.push_back(std::move(c));

    // The list and the number of its exceptions that pay most within the
    // budget; of equal returns the one with fewer entries.
    const Candidate* chosen = nullptr;
    std::size_t taken = 0;
    Wide chosenPaid = 0;
    std::size_t chosenEntries = 0;
    for (const Candidate& c : candidates) {
        Wide paid = c.plainPaid;
        for (std::size_t r = 0; c.lines.size() + r <= static_cast<std::size_t>(maxLines); ++r) {
            const std::size_t entries = c.lines.size() + r;
            if (!chosen || paid > chosenPaid || (paid == chosenPaid && entries < chosenEntries)) {
                chosen = &c;
                taken = r;
                chosenPaid = paid;
                chosenEntries = entries;
            }
            if (r == c.exceptions.size())
                break;
            paid += c.gained[r];
        }
    }
    Strategy strategy;
    if (!chosen)
        return strategy;
    strategy.lines = chosen->lines;
    strategy.exceptions.assign(chosen->exceptions.begin(),
                               chosen->exceptions.begin() + static_cast<std::ptrdiff_t>(taken));
    // A line's exceptions keep the order they are asked in.
    std::stable_sort(strategy.exceptions.begin(), strategy.exceptions.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    strategy.grade = grade(strategy.lines, strategy.exceptions);
    return strategy;
}

} // namespace odds
