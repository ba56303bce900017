#include "strategy.h"

#include "card_code.h"
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <limits>
#include <map>

namespace odds {
namespace {

constexpr int kRanks = 13;

// Ranks as strategy players count them: 2..10, Jack 11 .. Ace 14.
int Value(int rank0)
{
    return rank0 == 0 ? 14 : rank0 + 1;
}

std::string ValueName(int value)
{
    static const char* const kNames[] = {"",  "",  "2",  "3", "4", "5", "6", "7",
                                         "8", "9", "10", "J", "Q", "K", "A"};
    return kNames[value];
}

std::string Count(int n, const char* one, const char* many, const char* none)
{
    if (n == 0)
        return none;
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

std::string HighCards(int n)
{
    return Count(n, "high card", "high cards", "no high card");
}

// The straights that contain every held value, the Ace either end.
int Straights(const std::vector<int>& values)
{
    int ways = 0;
    for (int low = 1; low <= 10; ++low) {
        bool all = true;
        for (const int v : values) {
            const bool in = (v >= low && v <= low + 4) || (v == 14 && low == 1);
            all = all && in;
        }
        ways += all ? 1 : 0;
    }
    return ways;
}

// How a pattern reads, and how the lines of one family read once merged.
enum class Style
{
    Alone,    // the family is the pattern
    List,     // details are whole names: "Jack or Queen"
    Comma,    // family, then details: "4 to a flush, 1 or 2 high cards"
    Suited,   // "Suited K Q or K J"
    Unsuited, // "K Q or K J unsuited"
};

// The paying rows that hand patterns name, best first, for what a draw aims at.
enum Row
{
    kNoRow = -1,
    kStraightFlushRow = 1, // a royal is 0

    kFlushRow = 4,
    kStraightRow,
};

struct Words
{
    std::string family; // lines of one family may merge
    Style style = Style::Alone;
    std::string detail;
    std::string complete; // the name of the whole family, if it has one
    int order = 0;        // merged lines list their details by it
    int aim = kNoRow;     // the row a draw's words name ("4 to a flush": the flush)
};

Words Alone(std::string name, int aim = kNoRow)
{
    return {std::move(name), Style::Alone, "", "", 0, aim};
}

// values descending, all different; an empty family for a hold no strategy names.
Words DrawWords(const std::vector<int>& values, bool oneSuit)
{
    const int n = static_cast<int>(values.size());
    if (n == 0)
        return Alone("Draw five");
    const int high = static_cast<int>(
        std::count_if(values.begin(), values.end(), [](int v) { return v >= 11; }));
    const bool royalRanks = values.back() >= 10;
    const int ways = Straights(values);
    std::string ranks;
    int byRank = 0; // higher ranks first
    for (const int v : values) {
        if (!ranks.empty())
            ranks += ' ';
        ranks += ValueName(v);
        byRank = byRank * 15 - v;
    }
    if (n == 5) {
        if (ways == 1 && oneSuit)
            return {"made", Style::List, royalRanks ? "Royal Flush" : "Straight Flush", "",
                    royalRanks ? 0 : 1};
        if (oneSuit)
            return {"made", Style::List, "Flush", "", 4};
        return ways == 1 ? Words{"made", Style::List, "Straight", "", 5} : Words{};
    }
    const std::string count = std::to_string(n);
    if (oneSuit && n >= 2) {
        // A royal draw is a straight flush draw too: from a dealt straight
        // flush it would throw a made row away.
        if (royalRanks && n == 2)
            return {"suited", Style::Suited, ranks, "", byRank, kStraightFlushRow};
        if (royalRanks)
            return Alone(count + " to a Royal Flush", kStraightFlushRow);
        if (ways > 0 && n == 4)
            return {"4sf",
                    Style::List,
                    ways >= 2 ? "4 to an outside straight flush" : "4 to an inside straight flush",
                    "4 to a straight flush",
                    ways >= 2 ? 0 : 1,
                    kStraightFlushRow};
        // A gap is a straight the draw cannot reach: 5 6 8 and 2 3 4 have one.
        if (ways > 0)
            return {count + " to a straight flush",
                    Style::Comma,
                    HighCards(high) + ", " + Count(6 - n - ways, "gap", "gaps", "no gap"),
                    "",
                    10 * high + 6 - n - ways,
                    kStraightFlushRow};
        if (n >= 3)
            return {count + " to a flush", Style::Comma, HighCards(high), "", 10 * high, kFlushRow};
        return {};
    }
    if (n == 4 && ways > 0)
        return {ways >= 2 ? "4 to an outside straight" : "4 to an inside straight",
                Style::Comma,
                HighCards(high),
                "",
                10 * high,
                kStraightRow};
    if ((n == 2 || n == 3) && high == n)
        return {count + " unsuited", Style::Unsuited, ranks, "", byRank};
    if (n == 3 && ways > 0)
        return {"3 to a straight",
                Style::Comma,
                HighCards(high) + ", " + Count(3 - ways, "gap", "gaps", "no gap"),
                "",
                10 * high + 3 - ways,
                kStraightRow};
    if (n == 1 && high == 1) {
        static const char* const kHigh[] = {"Jack", "Queen", "King", "Ace"};
        return {"single", Style::List, kHigh[values[0] - 11], "", byRank};
    }
    return {};
}

// ranks0 ascending (Ace = 0).
Words PatternWords(const std::vector<int>& ranks0, bool oneSuit)
{
    std::array<int, kRanks> count{};
    for (const int r : ranks0)
        ++count[static_cast<std::size_t>(r)];
    std::vector<int> groups;
    int pairValue = 0;
    for (int r = 0; r < kRanks; ++r)
        if (count[static_cast<std::size_t>(r)] > 1) {
            groups.push_back(count[static_cast<std::size_t>(r)]);
            pairValue = Value(r);
        }
    const std::size_t n = ranks0.size();
    if (!groups.empty()) {
        std::sort(groups.begin(), groups.end());
        const auto made = [](const char* name, int order) {
            return Words{"made", Style::List, name, "", order};
        };
        if (groups == std::vector<int>{4} && n == 4)
            return made("Four of a kind", 2);
        if (groups == std::vector<int>{2, 3})
            return made("Full House", 3);
        if (groups == std::vector<int>{3} && n == 3)
            return made("Three of a kind", 6);
        if (groups == std::vector<int>{2, 2} && n == 4)
            return made("Two Pair", 7);
        if (groups == std::vector<int>{2} && n == 2)
            return made(pairValue >= 11 ? "Pair of Jacks or better" : "Low pair",
                        pairValue >= 11 ? 8 : 9);
        return {};
    }
    std::vector<int> values;
    for (const int r : ranks0)
        values.push_back(Value(r));
    std::sort(values.rbegin(), values.rend());
    return DrawWords(values, oneSuit && n >= 2);
}

// "a", "a or b", "a, b or c".
std::string JoinOr(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += i + 1 == items.size() ? " or " : ", ";
        out += items[i];
    }
    return out;
}

// "no, 1 or 2 high cards" rather than three whole phrases.
std::string JoinDetails(const std::vector<std::string>& details)
{
    if (details.size() == 1)
        return details[0];
    std::vector<std::string> counts;
    bool plural = false;
    for (const std::string& d : details) {
        const std::size_t space = d.find(' ');
        const std::string rest = d.substr(space + 1);
        if (space == std::string::npos || (rest != "high card" && rest != "high cards")) {
            std::vector<std::string> joined = details;
            for (std::string& item : joined)
                if (const std::size_t comma = item.find(", "); comma != std::string::npos)
                    item.replace(comma, 2, " and ");
            return JoinOr(joined);
        }
        counts.push_back(d.substr(0, space));
        plural = plural || (counts.back() != "no" && counts.back() != "1");
    }
    return JoinOr(counts) + (plural ? " high cards" : " high card");
}

std::string Format(const Words& words, const std::vector<std::string>& details, bool complete)
{
    switch (words.style) {
    case Style::Alone:
        return words.family;
    case Style::List:
        return complete && !words.complete.empty() ? words.complete : JoinOr(details);
    case Style::Comma:
        return complete ? words.family : words.family + ", " + JoinDetails(details);
    case Style::Suited:
        return "Suited " + JoinOr(details);
    case Style::Unsuited:
        return JoinOr(details) + " unsuited";
    }
    return words.family;
}

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
    const HandSubsets subsets(dealt);
    const std::array<std::int64_t, kHoldCount> v = ExactPaid(subsets, paid);
    for (unsigned s = 0; s < kHoldCount; ++s) {
        const unsigned hold = subsets.place[s];
        facts.value[hold] = v[s] * (kReturnDenominator / DrawsFor(s));
        facts.pattern[hold] =
            book.patternOfMultiset(subsets.multiset[s], subsets.suitMultiplier[s] != 0);
    }
    const int dealtPattern = facts.pattern[kAllHeld];
    for (int& pattern : facts.pattern)
        pattern = book.inDeal(pattern, dealtPattern);
}

} // namespace

PatternBook::PatternBook() : m_byMultiset(2 * DrawTables::kMultisetCount, kNoPattern)
{
    std::map<std::string, int> ids;
    std::map<std::string, int> families;
    std::vector<int> ranks;
    const auto intern = [&](const Words& words) {
        const std::string name = Format(words, {words.detail}, false);
        const auto [it, added] = ids.emplace(name, static_cast<int>(m_names.size()));
        if (!added)
            return it->second;
        const auto [fam, newFamily] =
            families.emplace(words.family, static_cast<int>(m_families.size()));
        if (newFamily)
            m_families.push_back({words.family, static_cast<int>(words.style), words.complete, 0});
        ++m_families[static_cast<std::size_t>(fam->second)].members;
        m_names.push_back(name);
        m_details.push_back(words.detail);
        m_orders.push_back(words.order);
        m_family.push_back(fam->second);
        m_aims.push_back(words.aim);
        // A made hand's order is its row, best first.
        m_rows.push_back(words.family == "made" ? words.order : kNoRow);
        return it->second;
    };
    // Multisets in the order DrawTables numbers them as they grow.
    const auto visit = [&](auto&& self, int index, int lowest) -> void {
        for (const bool oneSuit : {false, true}) {
            const Words words = PatternWords(ranks, oneSuit);
            if (!words.family.empty())
                m_byMultiset[static_cast<std::size_t>(2 * index + (oneSuit ? 1 : 0))] =
                    intern(words);
        }
        if (ranks.size() == 5)
            return;
        for (int r = lowest; r < kRanks; ++r) {
            const int size = static_cast<int>(ranks.size());
            ranks.push_back(r);
            self(self, DrawTables::GrowMultiset(index, size, r), r);
            ranks.pop_back();
        }
    };
    visit(visit, 0, 0);
    m_drawFive = ids.at("Draw five");
}

std::string PatternBook::lineName(const std::vector<int>& patterns) const
{
    if (patterns.size() == 1)
        return name(patterns[0]);
    const Family& f = m_families[static_cast<std::size_t>(family(patterns[0]))];
    std::vector<int> sorted = patterns;
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const auto key = [&](int p) {
            return std::pair(m_orders[static_cast<std::size_t>(p)], name(p));
        };
        return key(a) < key(b);
    });
    std::vector<std::string> details;
    for (const int p : sorted)
        details.push_back(m_details[static_cast<std::size_t>(p)]);
    const Words words{f.key, static_cast<Style>(f.style), "", f.complete};
    return Format(words, details, static_cast<int>(patterns.size()) == f.members);
}

const PatternBook& PatternBook::Get()
{
    static const PatternBook book;
    return book;
}

int PatternBook::inDeal(int pattern, int dealtPattern) const
{
    if (pattern == kNoPattern || dealtPattern == kNoPattern)
        return pattern;
    const int aim = m_aims[static_cast<std::size_t>(pattern)];
    const int dealtRow = m_rows[static_cast<std::size_t>(dealtPattern)];
    return aim != kNoRow && dealtRow != kNoRow && dealtRow <= aim ? kNoPattern : pattern;
}

int PatternBook::patternOf(std::span<const int, 5> dealt, unsigned hold) const
{
    return inDeal(heldPattern(dealt, hold), heldPattern(dealt, kAllHeld));
}

int PatternBook::heldPattern(std::span<const int, 5> dealt, unsigned hold) const
{
    std::array<int, 5> ranks{};
    int held = 0;
    unsigned suits = 0;
    for (int i = 0; i < 5; ++i)
        if (hold & (1u << i)) {
            ranks[static_cast<std::size_t>(held++)] =
                cards::CardRank(dealt[static_cast<std::size_t>(i)]) - 1;
            suits |= 1u << cards::CardSuit(dealt[static_cast<std::size_t>(i)]);
        }
    for (int i = 1; i < held; ++i)
        for (int j = i;
             j > 0 && ranks[static_cast<std::size_t>(j - 1)] > ranks[static_cast<std::size_t>(j)];
             --j)
            std::swap(ranks[static_cast<std::size_t>(j - 1)], ranks[static_cast<std::size_t>(j)]);
    int index = 0;
    for (int k = 0; k < held; ++k)
        index = DrawTables::GrowMultiset(index, k, ranks[static_cast<std::size_t>(k)]);
    return patternOfMultiset(index, (suits & (suits - 1)) == 0);
}

bool StrategyException::applies(std::span<const int, 5> dealt, unsigned hold) const
{
    unsigned heldSuits = 0;
    for (int i = 0; i < 5; ++i)
        if (hold & (1u << i))
            heldSuits |= 1u << cards::CardSuit(dealt[static_cast<std::size_t>(i)]);
    const bool oneSuit = heldSuits != 0 && (heldSuits & (heldSuits - 1)) == 0;
    if (heldValue != 0) {
        bool keeps = false;
        for (int i = 0; i < 5; ++i)
            keeps = keeps ||
                    ((hold & (1u << i)) &&
                     Value(cards::CardRank(dealt[static_cast<std::size_t>(i)]) - 1) == heldValue);
        if (!keeps)
            return false;
    }
    unsigned thrown = 0;
    for (int i = 0; i < 5; ++i)
        if (!(hold & (1u << i)))
            thrown |= 1u << Value(cards::CardRank(dealt[static_cast<std::size_t>(i)]) - 1);
    if (allValues)
        return values != 0 && (thrown & values) == values;
    for (int i = 0; i < 5; ++i) {
        if (hold & (1u << i))
            continue;
        const int card = dealt[static_cast<std::size_t>(i)];
        if (values & (1u << Value(cards::CardRank(card) - 1)))
            return true;
        if (heldSuit && oneSuit && (heldSuits & (1u << cards::CardSuit(card))))
            return true;
    }
    return false;
}

std::string StrategyException::condition() const
{
    static const char* const kNames[] = {"",     "",       "a 2",     "a 3",    "a 4",
                                         "a 5",  "a 6",    "a 7",     "an 8",   "a 9",
                                         "a 10", "a Jack", "a Queen", "a King", "an Ace"};
    std::vector<std::string> items;
    for (int v = 14; v >= 2; --v)
        if (values & (1u << v))
            items.push_back(kNames[v]);
    if (heldSuit)
        items.push_back("a card of the held suit");
    const std::string holds =
        heldValue == 0 ? std::string("it") : "it holds " + std::string(kNames[heldValue]) + " and";
    if (allValues && items.size() == 2)
        return holds + " throws away " + items[1] + " and " + items[0];
    return holds + " throws away " + JoinOr(items);
}

unsigned ListHold(const std::vector<StrategyLine>& lines,
                  const std::vector<StrategyException>& exceptions, std::span<const int, 5> dealt,
                  const HoldTable& table, const PayVector& pays)
{
    const PatternBook& book = PatternBook::Get();
    std::array<int, kHoldCount> pattern{};
    for (unsigned h = 0; h < kHoldCount; ++h)
        pattern[h] = book.patternOf(dealt, h);
    const auto holdOf = [&](const StrategyLine& line) {
        unsigned chosen = kHoldCount;
        std::int64_t chosenReturn = 0;
        for (unsigned h = 0; h < kHoldCount; ++h) {
            if (std::find(line.begin(), line.end(), pattern[h]) == line.end())
                continue;
            const std::int64_t r = ScaledReturn(table[h], h, pays);
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
            if (x.line == static_cast<int>(i) && x.applies(dealt, chosen)) {
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
    return static_cast<double>(paid) / static_cast<double>(ReturnTotals::Denominator());
}

double StrategyGrade::gap() const
{
    return static_cast<double>(optimalPaid - paid) /
           static_cast<double>(ReturnTotals::Denominator());
}

StrategyData::StrategyData(const DrawTables& tables, const PayVector& pays, int threads)
    : m_classes(SuitClasses())
{
    const PatternBook& book = PatternBook::Get();
    const PaidTables paid(tables, pays);
    const std::size_t n = m_classes.size();
    m_bestValue.resize(n);
    m_bestHold.resize(n);
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
            const std::size_t first = out.size();
            for (unsigned h = 0; h < kHoldCount; ++h) {
                const int p = facts.pattern[h];
                if (p == PatternBook::kNoPattern)
                    continue;
                const Entry entry{facts.value[h], static_cast<std::uint8_t>(p),
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
}

StrategyGrade StrategyData::grade(const std::vector<StrategyLine>& lines,
                                  const std::vector<StrategyException>& exceptions) const
{
    const PatternBook& book = PatternBook::Get();
    constexpr int kOff = std::numeric_limits<int>::max();
    std::vector<int> rank(static_cast<std::size_t>(book.count()), kOff);
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (const int p : lines[i])
            rank[static_cast<std::size_t>(p)] = static_cast<int>(i);
    std::vector<int> exceptionOf(lines.size(), -1);
    for (std::size_t k = 0; k < exceptions.size(); ++k)
        exceptionOf[static_cast<std::size_t>(exceptions[k].line)] = static_cast<int>(k);

    StrategyGrade grade;
    grade.decides.assign(lines.size(), 0);
    grade.moved.assign(exceptions.size(), 0);
    grade.gained.assign(exceptions.size(), 0);
    std::map<std::pair<int, int>, Deviation> deviations;
    // The better hold of one line: ListHold's rule, so exceptions see its cards.
    const auto better = [](const Entry& a, const Entry& b) {
        return BetterHold(a.value, a.hold, b.value, b.hold);
    };
    for (std::size_t c = 0; c < m_classes.size(); ++c) {
        const DealClass& deal = m_classes[c];
        const Entry* decider = nullptr;
        for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e) {
            const Entry& entry = m_entries[e];
            const int r = rank[entry.pattern];
            if (r != kOff && (!decider || r < rank[decider->pattern] ||
                              (r == rank[decider->pattern] && better(entry, *decider))))
                decider = &entry;
        }
        grade.optimalPaid += Wide(m_bestValue[c]) * deal.weight;
        if (!decider)
            continue; // the list holds nothing here: it pays nothing
        if (const int k = exceptionOf[static_cast<std::size_t>(rank[decider->pattern])];
            k >= 0 && exceptions[static_cast<std::size_t>(k)].applies(deal.cards, decider->hold)) {
            const int instead = exceptions[static_cast<std::size_t>(k)].instead;
            const Entry* other = nullptr;
            for (std::uint32_t e = m_first[c]; e < m_first[c + 1]; ++e)
                if (rank[m_entries[e].pattern] == instead &&
                    (!other || better(m_entries[e], *other)))
                    other = &m_entries[e];
            if (other) {
                grade.moved[static_cast<std::size_t>(k)] += deal.weight;
                grade.gained[static_cast<std::size_t>(k)] +=
                    Wide(other->value - decider->value) * deal.weight;
                decider = other;
            }
        }
        const int line = rank[decider->pattern];
        grade.paid += Wide(decider->value) * deal.weight;
        grade.decides[static_cast<std::size_t>(line)] += deal.weight;
        const std::int64_t loss = m_bestValue[c] - decider->value;
        if (loss <= 0)
            continue;
        grade.dealsDiffering += deal.weight;
        const int bestPattern = book.patternOf(deal.cards, m_bestHold[c]);
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

// Ranks lines by exact local search. Every class remembers the entry that
// decides it and the one that would next, so moving, merging or dropping a
// line touches only the classes that offer one of its patterns.
class StrategySearch
{
  public:
    explicit StrategySearch(const StrategyData& data)
        : m_data(data), m_book(PatternBook::Get()), m_stamp(data.m_classes.size(), 0)
    {
        const int patterns = m_book.count();
        const std::size_t n = m_data.m_classes.size();
        m_byPattern.resize(static_cast<std::size_t>(patterns));
        m_lineOf.assign(static_cast<std::size_t>(patterns), -1);
        std::vector<double> valueSum(static_cast<std::size_t>(patterns), 0);
        std::vector<double> weightSum(static_cast<std::size_t>(patterns), 0);
        for (std::size_t c = 0; c < n; ++c) {
            const StrategyData::Entry* target = nullptr;
            for (std::uint32_t e = m_data.m_first[c]; e < m_data.m_first[c + 1]; ++e) {
                const StrategyData::Entry& entry = m_data.m_entries[e];
                m_byPattern[entry.pattern].push_back(static_cast<std::uint32_t>(c));
                if (!target || entry.value > target->value)
                    target = &entry;
            }
            if (!target)
                continue; // never: every class can draw five
            const double w = m_data.m_classes[c].weight;
            valueSum[target->pattern] += w * static_cast<double>(target->value);
            weightSum[target->pattern] += w;
        }
        // A line for every pattern that is the best somewhere, ordered by the
        // return it has there.
        std::vector<int> start;
        for (int p = 0; p < patterns; ++p)
            if (weightSum[static_cast<std::size_t>(p)] > 0 || p == m_book.drawFive())
                start.push_back(p);
        const auto mean = [&](int p) {
            const auto i = static_cast<std::size_t>(p);
            return weightSum[i] > 0 ? valueSum[i] / weightSum[i] : 0.0;
        };
        std::stable_sort(start.begin(), start.end(),
                         [&](int a, int b) { return mean(a) > mean(b); });
        for (const int p : start) {
            m_lineOf[static_cast<std::size_t>(p)] = static_cast<int>(m_lines.size());
            m_lines.push_back({p});
            m_order.push_back(static_cast<int>(m_lines.size()) - 1);
        }
        m_rank.resize(m_lines.size());
        renumber();
        m_decider.resize(n);
        m_second.resize(n);
        for (std::size_t c = 0; c < n; ++c)
            locate(c);
    }

    // Cuts the list from every line that is best somewhere towards one line,
    // the cheapest cut first, showing atLength each list on the way until it
    // returns false. The path does not depend on any budget.
    template <class F> void descend(F&& atLength)
    {
        settle(64);
        std::vector<double> cost;
        int steps = 0;
        while (atLength(*this) && m_order.size() > 1) {
            removalCosts(cost);
            int cheapest = -1;
            for (const int line : m_order)
                if (!holdsDrawFive(line) &&
                    (cheapest < 0 || cost[static_cast<std::size_t>(line)] <
                                         cost[static_cast<std::size_t>(cheapest)]))
                    cheapest = line;
            Join join = bestJoin();
            if (cheapest >= 0 && cost[static_cast<std::size_t>(cheapest)] < join.cost)
                remove(cheapest);
            else if (join.line >= 0)
                applyJoin(join);
            else
                break;
            mergeNeighbours();
            // Re-rank now and then: each pass costs as much as a step.
            if (++steps % kSettleEvery == 0)
                settle(1);
        }
    }

    // The list as it stands, settled: every move that gains made.
    void finish()
    {
        settle(64);
        mergeNeighbours();
    }

    int size() const { return static_cast<int>(m_order.size()); }
    int lineAt(int rank) const { return m_order[static_cast<std::size_t>(rank)]; }
    int rankOfLine(int line) const { return m_rank[static_cast<std::size_t>(line)]; }

    std::vector<StrategyLine> lines() const
    {
        std::vector<StrategyLine> out;
        for (const int line : m_order)
            out.push_back(m_lines[static_cast<std::size_t>(line)]);
        return out;
    }

    // Lines of one family anywhere in the list become one wherever that plays
    // every deal for the same: a split that changes no decision is a wasted
    // line. Lines in keep stay as they are (an exception names them).
    void mergeSilent(const std::vector<int>& keep = {})
    {
        const auto kept = [&](int line) {
            return std::find(keep.begin(), keep.end(), line) != keep.end();
        };
        for (bool merged = true; merged;) {
            merged = false;
            for (std::size_t i = 0; i < m_order.size(); ++i)
                for (std::size_t j = i + 1; j < m_order.size();) {
                    const int a = m_order[i];
                    const int b = m_order[j];
                    if (sameFamily(a, b) && !kept(a) && !kept(b)) {
                        if (joinUpChangesNothing(a, b)) {
                            merge(a, b);
                            merged = true;
                            continue; // the next line is at j now
                        }
                        if (joinDownChangesNothing(a, b)) {
                            merge(b, a);
                            merged = true;
                            break; // a is gone from i
                        }
                    }
                    ++j;
                }
        }
    }

  private:
    static constexpr int kOff = std::numeric_limits<int>::max();
    static constexpr int kSettleEvery = 3;
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    struct Join
    {
        double cost = std::numeric_limits<double>::infinity();
        int line = -1;
        int target = 0; // position to move line to, next to partner
        int partner = -1;
    };

    const StrategyData::Entry& entry(std::uint32_t e) const { return m_data.m_entries[e]; }
    int lineOfEntry(std::uint32_t e) const
    {
        return m_lineOf[static_cast<std::size_t>(entry(e).pattern)];
    }
    int rankOf(std::uint32_t e) const
    {
        if (e == kNone)
            return kOff;
        const int line = lineOfEntry(e);
        return line < 0 ? kOff : m_rank[static_cast<std::size_t>(line)];
    }
    double weight(std::size_t c) const { return m_data.m_classes[c].weight; }
    double value(std::uint32_t e) const { return static_cast<double>(entry(e).value); }
    bool holdsDrawFive(int line) const
    {
        const StrategyLine& l = m_lines[static_cast<std::size_t>(line)];
        return std::find(l.begin(), l.end(), m_book.drawFive()) != l.end();
    }

    void renumber()
    {
        for (std::size_t i = 0; i < m_order.size(); ++i)
            m_rank[static_cast<std::size_t>(m_order[i])] = static_cast<int>(i);
    }

    // Earlier line first; on one line the better hold.
    bool before(std::uint32_t a, std::uint32_t b) const
    {
        const int ra = rankOf(a);
        const int rb = rankOf(b);
        return ra != rb ? ra < rb : (ra != kOff && value(a) > value(b));
    }

    void locate(std::size_t c)
    {
        // The second is the best of the other lines: where the class goes
        // when the deciding line moves below it or is dropped.
        std::uint32_t first = kNone;
        std::uint32_t second = kNone;
        const std::uint32_t end = m_data.m_first[c + 1];
        for (std::uint32_t e = m_data.m_first[c]; e < end; ++e)
            if (rankOf(e) != kOff && (first == kNone || before(e, first)))
                first = e;
        for (std::uint32_t e = m_data.m_first[c]; e < end; ++e)
            if (rankOf(e) != kOff && lineOfEntry(e) != lineOfEntry(first) &&
                (second == kNone || before(e, second)))
                second = e;
        m_decider[c] = first;
        m_second[c] = second;
    }

    // Calls f once for every class offering a pattern of the line.
    template <class F> void forClasses(int line, F&& f)
    {
        ++m_tick;
        for (const int p : m_lines[static_cast<std::size_t>(line)])
            for (const std::uint32_t c : m_byPattern[static_cast<std::size_t>(p)])
                if (m_stamp[c] != m_tick) {
                    m_stamp[c] = m_tick;
                    f(c);
                }
    }

    // The best entry of a line in class c.
    std::uint32_t entryOf(std::size_t c, int line) const
    {
        std::uint32_t best = kNone;
        for (std::uint32_t e = m_data.m_first[c]; e < m_data.m_first[c + 1]; ++e)
            if (lineOfEntry(e) == line && (best == kNone || value(e) > value(best)))
                best = e;
        return best;
    }

    // What moving the line to each position gains, by position.
    std::vector<double> moveGains(int line)
    {
        const auto lines = static_cast<int>(m_order.size());
        const int i = m_rank[static_cast<std::size_t>(line)];
        std::vector<double> at(static_cast<std::size_t>(lines), 0);
        forClasses(line, [&](std::uint32_t c) {
            const std::uint32_t d = m_decider[c];
            if (lineOfEntry(d) == line) {
                // Below its second the class goes to the second.
                if (m_second[c] != kNone)
                    at[static_cast<std::size_t>(rankOf(m_second[c]))] +=
                        weight(c) * (value(m_second[c]) - value(d));
            } else {
                at[static_cast<std::size_t>(rankOf(d))] +=
                    weight(c) * (value(entryOf(c, line)) - value(d));
            }
        });
        std::vector<double> gain(static_cast<std::size_t>(lines), 0);
        for (int j = i - 1; j >= 0; --j)
            gain[static_cast<std::size_t>(j)] =
                gain[static_cast<std::size_t>(j + 1)] + at[static_cast<std::size_t>(j)];
        for (int j = i + 1; j < lines; ++j)
            gain[static_cast<std::size_t>(j)] =
                gain[static_cast<std::size_t>(j - 1)] + at[static_cast<std::size_t>(j)];
        return gain;
    }

    void move(int line, int target)
    {
        const int i = m_rank[static_cast<std::size_t>(line)];
        if (i == target)
            return;
        m_order.erase(m_order.begin() + i);
        m_order.insert(m_order.begin() + target, line);
        renumber();
        forClasses(line, [&](std::uint32_t c) { locate(c); });
    }

    // Takes each move that gains; stops after passes rounds or when none does.
    void settle(int passes)
    {
        for (int pass = 0; pass < passes; ++pass) {
            bool moved = false;
            for (std::size_t k = 0; k < m_order.size(); ++k) {
                const int line = m_order[k];
                const std::vector<double> gain = moveGains(line);
                const auto best = std::max_element(gain.begin(), gain.end());
                if (*best > 0.5) {
                    move(line, static_cast<int>(best - gain.begin()));
                    moved = true;
                }
            }
            if (!moved)
                return;
        }
    }

    bool sameFamily(int a, int b) const
    {
        return m_book.family(m_lines[static_cast<std::size_t>(a)][0]) ==
               m_book.family(m_lines[static_cast<std::size_t>(b)][0]);
    }

    // Two neighbouring lines of one family play as one: the merged line keeps
    // the better hold where both match, so it never loses.
    void merge(int upper, int lower)
    {
        StrategyLine& into = m_lines[static_cast<std::size_t>(upper)];
        for (const int p : m_lines[static_cast<std::size_t>(lower)]) {
            into.push_back(p);
            m_lineOf[static_cast<std::size_t>(p)] = upper;
        }
        m_order.erase(m_order.begin() + m_rank[static_cast<std::size_t>(lower)]);
        renumber();
        forClasses(upper, [&](std::uint32_t c) { locate(c); });
    }

    void mergeNeighbours()
    {
        for (std::size_t k = 1; k < m_order.size();) {
            if (sameFamily(m_order[k - 1], m_order[k]))
                merge(m_order[k - 1], m_order[k]);
            else
                ++k;
        }
    }

    // Whether line b, below line a, can join a at a's rank with no deal
    // played for less or more: only deals offering b's patterns can move, and
    // only those decided by a (when b holds better there) or by a line between.
    bool joinUpChangesNothing(int a, int b)
    {
        const int ra = m_rank[static_cast<std::size_t>(a)];
        bool same = true;
        forClasses(b, [&](std::uint32_t c) {
            const std::uint32_t d = m_decider[c];
            const int rd = rankOf(d);
            if (!same || rd < ra || lineOfEntry(d) == b)
                return;
            same = lineOfEntry(d) == a && value(entryOf(c, b)) <= value(d);
        });
        return same;
    }

    // Whether line a, above line b, can join b at b's rank with no deal
    // changed: the deals a decides go to the next line that fits, which must
    // be b, and b must hold no better there.
    bool joinDownChangesNothing(int a, int b)
    {
        const int rb = m_rank[static_cast<std::size_t>(b)];
        bool same = true;
        forClasses(a, [&](std::uint32_t c) {
            const std::uint32_t d = m_decider[c];
            if (!same || lineOfEntry(d) != a || m_second[c] == kNone)
                return;
            const int rs = rankOf(m_second[c]);
            same = rs > rb || (lineOfEntry(m_second[c]) == b && value(m_second[c]) <= value(d));
        });
        return same;
    }

    // The cheapest way to save a line by moving it next to one of its family.
    Join bestJoin()
    {
        Join best;
        for (const int line : m_order) {
            const int i = m_rank[static_cast<std::size_t>(line)];
            std::vector<double> gain;
            for (const int other : m_order) {
                if (other == line || !sameFamily(line, other))
                    continue;
                if (gain.empty())
                    gain = moveGains(line);
                const int r = m_rank[static_cast<std::size_t>(other)];
                // Positions just above and just below the partner once line is out.
                for (const int target : {r < i ? r : r - 1, r < i ? r + 1 : r}) {
                    const double cost = -gain[static_cast<std::size_t>(target)];
                    if (cost < best.cost)
                        best = {cost, line, target, other};
                }
            }
        }
        return best;
    }

    void applyJoin(const Join& join)
    {
        move(join.line, join.target);
        const int a = m_rank[static_cast<std::size_t>(join.line)];
        const int b = m_rank[static_cast<std::size_t>(join.partner)];
        if (a < b)
            merge(join.line, join.partner);
        else
            merge(join.partner, join.line);
    }

    void removalCosts(std::vector<double>& cost) const
    {
        cost.assign(m_lines.size(), 0);
        for (std::size_t c = 0; c < m_decider.size(); ++c) {
            const std::uint32_t d = m_decider[c];
            cost[static_cast<std::size_t>(lineOfEntry(d))] +=
                m_second[c] == kNone ? 1e300 : weight(c) * (value(d) - value(m_second[c]));
        }
    }

    void remove(int line)
    {
        m_order.erase(m_order.begin() + m_rank[static_cast<std::size_t>(line)]);
        for (const int p : m_lines[static_cast<std::size_t>(line)])
            m_lineOf[static_cast<std::size_t>(p)] = -1;
        renumber();
        ++m_tick;
        for (const int p : m_lines[static_cast<std::size_t>(line)])
            for (const std::uint32_t c : m_byPattern[static_cast<std::size_t>(p)])
                locate(c);
    }

    const StrategyData& m_data;
    const PatternBook& m_book;
    std::vector<std::vector<std::uint32_t>> m_byPattern; // classes offering each pattern
    std::vector<StrategyLine> m_lines;                   // by line id
    std::vector<int> m_order;                            // line ids, best first
    std::vector<int> m_rank;                             // by line id
    std::vector<int> m_lineOf;                           // by pattern; -1 when on no line
    std::vector<std::uint32_t> m_decider;                // entry index, by class
    std::vector<std::uint32_t> m_second;
    std::vector<std::uint32_t> m_stamp;
    std::uint32_t m_tick = 0;
};

struct StrategyData::Scan
{
    std::vector<StrategyException> best; // by line; instead < 0 where none
    std::vector<double> bestGain;
};

// One pass over the classes of the plain list. Every line below the deciding
// one that fits is a candidate; its gain is summed by the values the deciding
// hold throws away, so "a 10 or 9" is the sum for 10 and 9 less both.
StrategyData::Scan StrategyData::scan(const std::vector<StrategyLine>& lines) const
{
    const PatternBook& book = PatternBook::Get();
    const auto n = lines.size();
    constexpr int kOff = std::numeric_limits<int>::max();
    constexpr std::size_t kValues = 13;
    constexpr std::size_t kSuit = kValues + kValues * kValues;
    constexpr std::size_t kStride = kSuit + 1;
    std::vector<int> rank(static_cast<std::size_t>(book.count()), kOff);
    for (std::size_t i = 0; i < n; ++i)
        for (const int p : lines[i])
            rank[static_cast<std::size_t>(p)] = static_cast<int>(i);
    // Each pair of lines sums its gains once for any hold and once more for
    // holds that keep a card of each value: "it holds a 10 and ...".
    constexpr std::size_t kHeld = 1 + kValues;
    std::vector<double> sums(n * n * kHeld * kStride, 0);
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
        const double w = m_classes[c].weight;
        std::array<int, 5> thrown{};
        int count = 0;
        unsigned suits = 0;
        for (int i = 0; i < 5; ++i)
            if (decider.hold & (1u << i))
                suits |= 1u << cards::CardSuit(m_classes[c].cards[static_cast<std::size_t>(i)]);
        std::array<std::size_t, 6> held{0};
        std::size_t heldCount = 1; // bucket 0: any hold
        unsigned heldSeen = 0;
        for (int i = 0; i < 5; ++i)
            if (decider.hold & (1u << i)) {
                const int v =
                    Value(cards::CardRank(m_classes[c].cards[static_cast<std::size_t>(i)]) - 1) - 2;
                if (!(heldSeen & (1u << v)))
                    held[heldCount++] = 1 + static_cast<std::size_t>(v);
                heldSeen |= 1u << v;
            }
        bool suited = false;
        unsigned seen = 0;
        for (int i = 0; i < 5; ++i) {
            if (decider.hold & (1u << i))
                continue;
            const int card = m_classes[c].cards[static_cast<std::size_t>(i)];
            const int v = Value(cards::CardRank(card) - 1) - 2;
            if (!(seen & (1u << v)))
                thrown[static_cast<std::size_t>(count++)] = v;
            seen |= 1u << v;
            suited = suited || (suits != 0 && (suits & (suits - 1)) == 0 &&
                                (suits & (1u << cards::CardSuit(card))));
        }
        for (std::size_t k = 1; k < fitting.size(); ++k) {
            const auto l = static_cast<std::size_t>(fitting[k]);
            const double g = w * static_cast<double>(onLine[l]->value - decider.value);
            for (std::size_t h = 0; h < heldCount; ++h) {
                double* sum = &sums[((u * n + l) * kHeld + held[h]) * kStride];
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
            }
        }
        for (const int r : fitting)
            onLine[static_cast<std::size_t>(r)] = nullptr;
    }
    out.best.assign(n, StrategyException{0, -1, 0, false});
    out.bestGain.assign(n, 0);
    for (std::size_t u = 0; u < n; ++u)
        for (std::size_t l = u + 1; l < n; ++l)
            for (std::size_t h = 0; h < kHeld; ++h) {
                const double* sum = &sums[((u * n + l) * kHeld + h) * kStride];
                const int keeps = h == 0 ? 0 : static_cast<int>(h) + 1;
                const auto offer = [&](double g, unsigned values, bool heldSuit, bool all) {
                    if (g > out.bestGain[u]) {
                        out.bestGain[u] = g;
                        out.best[u] = {
                            static_cast<int>(u), static_cast<int>(l), values, heldSuit, all, keeps};
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
            }
    return out;
}

Strategy StrategyData::best(int maxLines, double minGain) const
{
    maxLines = std::max(1, maxLines);
    const double threshold = minGain * static_cast<double>(ReturnTotals::Denominator());
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
        const Scan s = scan(c.lines);
        std::vector<StrategyException> offered;
        for (std::size_t u = 0; u < c.lines.size(); ++u)
            if (s.best[u].instead >= 0 && s.bestGain[u] > 0)
                offered.push_back(s.best[u]);
        // The scan sums in doubles: the exact grade says what each one wins.
        const StrategyGrade g = grade(c.lines, offered);
        c.plainPaid = g.paid;
        std::vector<std::size_t> order;
        for (std::size_t k = 0; k < offered.size(); ++k) {
            c.plainPaid -= g.gained[k];
            if (g.gained[k] > 0 && static_cast<double>(g.gained[k]) >= threshold)
                order.push_back(k);
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t x, std::size_t y) { return g.gained[x] > g.gained[y]; });
        // Lines an exception names stay; the others merge where no deal
        // changes, which keeps every exception's gain. Without exceptions the
        // same list merges further.
        std::vector<int> named;
        for (const std::size_t k : order) {
            c.exceptions.push_back(offered[k]);
            c.gained.push_back(g.gained[k]);
            named.push_back(state.lineAt(offered[k].line));
            named.push_back(state.lineAt(offered[k].instead));
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
    std::sort(strategy.exceptions.begin(), strategy.exceptions.end(),
              [](const auto& a, const auto& b) { return a.line < b.line; });
    strategy.grade = grade(strategy.lines, strategy.exceptions);
    return strategy;
}

} // namespace odds
