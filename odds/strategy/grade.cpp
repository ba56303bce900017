#include "strategy.h"

#include "card_code.h"
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <vector>

// Grading a list exactly: every class of deals played by it.
namespace odds {
namespace {

// Every hold of one dealt hand, by hold mask: its return and its pattern.
struct HoldFacts
{
    std::array<std::int64_t, kHoldCount> value{};
    std::array<int, kHoldCount> pattern{};
};

// The paid totals of PlayBest, kept for all 32 holds, and each hold's pattern
// from the same walk over the rank-sorted subsets.
void FactsOf(const PaidTables& paid, const PatternBook& book, std::span<const int, 5> dealt,
             HoldFacts& facts)
{
    const Family& family = book.game();
    const Deck& deck = family.deck();
    const HandSubsets subsets(dealt, family.wildRank());
    const std::array<std::int64_t, kHoldCount> v = ExactPaid(subsets, paid);
    for (unsigned s = 0; s < kHoldCount; ++s) {
        const unsigned hold = subsets.place[s];
        facts.value[hold] = v[s] * (deck.denominator / DrawsFor(s, deck));
        facts.pattern[hold] =
            book.patternOfMultiset(subsets.multiset[s], subsets.suitMultiplier[s] != 0);
    }
    const int dealtPattern = facts.pattern[kAllHeld];
    const int dealtWilds = static_cast<int>(std::count_if(
        dealt.begin(), dealt.end(), [&](int card) { return RankOf(card) == family.wildRank(); }));
    for (int& pattern : facts.pattern) {
        pattern = book.inDeal(pattern, dealtPattern);
        if (pattern != PatternBook::kNoPattern && book.wilds(pattern) < dealtWilds)
            pattern = PatternBook::kNoPattern;
    }
}

} // namespace

unsigned ListHold(const std::vector<StrategyLine>& lines,
                  const std::vector<StrategyException>& exceptions, std::span<const int, 5> dealt,
                  const HoldTable& table, const PayVector& pays, const Family& family)
{
    const PatternBook& book = PatternBook::Get(family);
    std::array<int, kHoldCount> pattern{};
    for (unsigned h = 0; h < kHoldCount; ++h)
        pattern[h] = book.patternOf(dealt, h);
    const auto holdOf = [&](const StrategyLine& line) {
        unsigned chosen = kHoldCount;
        std::int64_t chosenReturn = 0;
        for (unsigned h = 0; h < kHoldCount; ++h) {
            if (std::find(line.begin(), line.end(), pattern[h]) == line.end())
                continue;
            const std::int64_t r = ScaledReturn(table[h], h, pays, family.deck());
            if (chosen == kHoldCount || BetterHold(r, h, chosenReturn, chosen)) {
                chosen = h;
                chosenReturn = r;
            }
        }
        return chosen;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const unsigned chosen = holdOf(lines[i]);
        if (chosen == kHoldCount)
            continue;
        for (const StrategyException& x : exceptions)
            if (x.line == static_cast<int>(i) && x.applies(dealt, chosen, family.wildRank())) {
                const unsigned instead = holdOf(lines[static_cast<std::size_t>(x.instead)]);
                if (instead != kHoldCount)
                    return instead;
            }
        return chosen;
    }
    return kHoldCount;
}

double StrategyGrade::returnValue() const
{
    return static_cast<double>(paid) / static_cast<double>(denominator());
}

double StrategyGrade::gap() const
{
    return static_cast<double>(optimalPaid - paid) / static_cast<double>(denominator());
}

StrategyData::StrategyData(const DrawTables& tables, const PayVector& pays, int threads)
    : m_family(&tables.family()), m_book(&PatternBook::Get(tables.family())),
      m_classes(SuitClasses(tables.deck()))
{
    const PatternBook& book = *m_book;
    const PaidTables paid(tables, pays);
    const std::size_t n = m_classes.size();
    m_bestValue.resize(n);
    m_bestHold.resize(n);
    m_bestPattern.resize(n);
    if (threads <= 0)
        threads = DefaultThreadCount();
    threads = std::max(1, std::min(threads, 64));
    m_threads = threads;

    // Each worker takes one contiguous run of classes, so the runs join in order.
    std::vector<std::vector<Entry>> parts(static_cast<std::size_t>(threads));
    std::vector<std::uint32_t> counts(n);
    const auto work = [&](int worker) {
        const auto share = [&](int w) {
            return n * static_cast<std::size_t>(w) / static_cast<std::size_t>(threads);
        };
        std::vector<Entry>& out = parts[static_cast<std::size_t>(worker)];
        out.reserve((share(worker + 1) - share(worker)) * 16);
        std::vector<int> slot(static_cast<std::size_t>(book.count()), -1);
        HoldFacts facts;
        for (std::size_t c = share(worker); c < share(worker + 1); ++c) {
            FactsOf(paid, book, m_classes[c].cards, facts);
            unsigned best = 0;
            for (unsigned h = 1; h < kHoldCount; ++h)
                if (BetterHold(facts.value[h], h, facts.value[best], best))
                    best = h;
            m_bestValue[c] = facts.value[best];
            m_bestHold[c] = static_cast<std::uint8_t>(best);
            m_bestPattern[c] = static_cast<std::int16_t>(book.patternOf(m_classes[c].cards, best));
            const std::size_t first = out.size();
            for (unsigned h = 0; h < kHoldCount; ++h) {
                const int p = facts.pattern[h];
                if (p == PatternBook::kNoPattern)
                    continue;
                const Entry entry{facts.value[h], static_cast<std::uint16_t>(p),
                                  static_cast<std::uint8_t>(h)};
                int& at = slot[static_cast<std::size_t>(p)];
                if (at < 0) {
                    at = static_cast<int>(out.size());
                    out.push_back(entry);
                } else if (BetterHold(entry.value, h, out[static_cast<std::size_t>(at)].value,
                                      out[static_cast<std::size_t>(at)].hold)) {
                    out[static_cast<std::size_t>(at)] = entry;
                }
            }
            for (std::size_t e = first; e < out.size(); ++e)
                slot[out[e].pattern] = -1;
            counts[c] = static_cast<std::uint32_t>(out.size() - first);
        }
    };
    RunWorkers(threads, work);
    m_first.resize(n + 1);
    for (std::size_t c = 0; c < n; ++c)
        m_first[c + 1] = m_first[c] + counts[c];
    m_entries.reserve(m_first[n]);
    for (const std::vector<Entry>& part : parts)
        m_entries.insert(m_entries.end(), part.begin(), part.end());
    m_patterns.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        m_patterns.push_back(entry.pattern);
}

StrategyGrade StrategyData::grade(const std::vector<StrategyLine>& lines,
                                  const std::vector<StrategyException>& exceptions) const
{
    return gradeOn(lines, exceptions, nullptr);
}

StrategyGrade StrategyData::gradeOn(const std::vector<StrategyLine>& lines,
                                    const std::vector<StrategyException>& exceptions,
                                    const std::vector<std::uint32_t>* only) const
{
    const PatternBook& book = *m_book;
    constexpr int kOff = std::numeric_limits<int>::max();
    std::vector<int> rank(static_cast<std::size_t>(book.count()), kOff);
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (const int p : lines[i])
            rank[static_cast<std::size_t>(p)] = static_cast<int>(i);
    // A line's exceptions are asked in their order; the first that hands the
    // deal to a line that fits plays, as in ListHold.
    std::vector<std::vector<std::size_t>> exceptionsOf(lines.size());
    for (std::size_t k = 0; k < exceptions.size(); ++k)
        exceptionsOf[static_cast<std::size_t>(exceptions[k].line)].push_back(k);

    StrategyGrade grade;
    grade.deck = m_family->deck();
    grade.decides.assign(lines.size(), 0);
    grade.moved.assign(exceptions.size(), 0);
    grade.gained.assign(exceptions.size(), 0);
    std::map<std::pair<int, int>, Deviation> deviations;
    // The better hold of one line: ListHold's rule, so exceptions see its cards.
    const auto better = [](const Entry& a, const Entry& b) {
        return BetterHold(a.value, a.hold, b.value, b.hold);
    };
    const std::size_t classes = only ? only->size() : m_classes.size();
    for (std::size_t i = 0; i < classes; ++i) {
        const std::size_t c = only ? (*only)[i] : i;
        const DealClass& deal = m_classes[c];
        const Entry* decider = nullptr;
        for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e) {
            const int r = rank[m_patterns[e]];
            if (r == kOff)
                continue;
            const Entry& entry = m_entries[e];
            if (!decider || r < rank[decider->pattern] ||
                (r == rank[decider->pattern] && better(entry, *decider)))
                decider = &entry;
        }
        grade.optimalPaid += Wide(m_bestValue[c]) * deal.weight;
        if (!decider)
            continue; // the list holds nothing here: it pays nothing
        for (const std::size_t k : exceptionsOf[static_cast<std::size_t>(rank[decider->pattern])]) {
            if (!exceptions[k].applies(deal.cards, decider->hold, m_family->wildRank()))
                continue;
            const int instead = exceptions[k].instead;
            const Entry* other = nullptr;
            for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e)
                if (rank[m_patterns[e]] == instead && (!other || better(m_entries[e], *other)))
                    other = &m_entries[e];
            if (other) {
                grade.moved[k] += deal.weight;
                grade.gained[k] += Wide(other->value - decider->value) * deal.weight;
                decider = other;
                break;
            }
        }
        const int line = rank[decider->pattern];
        grade.paid += Wide(decider->value) * deal.weight;
        grade.decides[static_cast<std::size_t>(line)] += deal.weight;
        const std::int64_t loss = m_bestValue[c] - decider->value;
        if (loss <= 0)
            continue;
        grade.dealsDiffering += deal.weight;
        const int bestPattern = m_bestPattern[c];
        Deviation& d = deviations[{line, bestPattern}];
        d.listLine = line;
        d.bestPattern = bestPattern;
        d.lost += Wide(loss) * deal.weight;
        if (loss > d.exampleLoss) {
            d.exampleLoss = loss;
            d.example = deal.cards;
            d.listHold = decider->hold;
            d.bestHold = m_bestHold[c];
        }
    }
    for (const auto& [key, d] : deviations)
        grade.costliest.push_back(d);
    std::sort(
        grade.costliest.begin(), grade.costliest.end(), [](const Deviation& a, const Deviation& b) {
            if (a.lost != b.lost)
                return a.lost > b.lost;
            return std::pair(a.listLine, a.bestPattern) < std::pair(b.listLine, b.bestPattern);
        });
    if (grade.costliest.size() > 5)
        grade.costliest.resize(5);
    return grade;
}

} // namespace odds
