#pragma once

// The search that ranks and cuts the lines; the strategy room's own.
#include "strategy.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace odds {

// Ranks as strategy players count them: 2..10, Jack 11 .. Ace 14, and the
// joker 15, which no exception names.
inline int Value(int rank0)
{
    return rank0 == 0 ? 14 : rank0 + 1;
}

// Ranks lines by exact local search. Every class remembers the entry that
// decides it and the one that would next, so moving, merging or dropping a
// line touches only the classes that offer one of its patterns.
class StrategySearch
{
  public:
    explicit StrategySearch(const StrategyData& data)
        : m_data(data), m_book(*data.m_book), m_stamp(data.m_classes.size(), 0)
    {
        const int patterns = m_book.count();
        const std::size_t n = m_data.m_classes.size();
        auto byPattern = std::make_shared<std::vector<std::vector<std::uint32_t>>>(
            static_cast<std::size_t>(patterns));
        m_lineOf.assign(static_cast<std::size_t>(patterns), -1);
        std::vector<double> valueSum(static_cast<std::size_t>(patterns), 0);
        std::vector<double> weightSum(static_cast<std::size_t>(patterns), 0);
        for (std::size_t c = 0; c < n; ++c) {
            const StrategyData::Entry* target = nullptr;
            for (std::uint32_t e = m_data.m_first[c]; e < m_data.m_first[c + 1]; ++e) {
                const StrategyData::Entry& entry = m_data.m_entries[e];
                (*byPattern)[entry.pattern].push_back(static_cast<std::uint32_t>(c));
                if (!target || entry.value > target->value)
                    target = &entry;
            }
            if (!target)
                continue; // never: every class can draw five
            const double w = m_data.m_classes[c].weight;
            valueSum[target->pattern] += w * static_cast<double>(target->value);
            weightSum[target->pattern] += w;
        }
        m_byPattern = std::move(byPattern);
        // A line for every pattern that is the best somewhere, ordered by the
        // return it has there.
        std::vector<int> start;
        for (int p = 0; p < patterns; ++p)
            if (weightSum[static_cast<std::size_t>(p)] > 0 || m_book.fallback(p))
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
                if (!holdsFallback(line) &&
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

    // Moves a line just above the one at rank: a list the settling would not
    // reach, since it pays only with exceptions.
    void moveAbove(int line, int rank)
    {
        move(line, rank);
        mergeNeighbours();
    }
    // A line of its own for a pattern on no line: from just above the one at
    // rank to where it pays most.
    void insertAbove(int pattern, int rank)
    {
        const int line = static_cast<int>(m_lines.size());
        m_lines.push_back({pattern});
        m_lineOf[static_cast<std::size_t>(pattern)] = line;
        m_rank.push_back(0);
        m_order.insert(m_order.begin() + rank, line);
        renumber();
        forClasses(line, [&](std::uint32_t c) { locate(c); });
        const std::vector<double> gain = moveGains(line);
        const auto best = std::max_element(gain.begin(), gain.end());
        if (*best > 0)
            move(line, static_cast<int>(best - gain.begin()));
        mergeNeighbours();
    }
    // The line that holds a pattern, or -1.
    int lineOfPattern(int pattern) const
    {
        return pattern < 0 ? -1 : m_lineOf[static_cast<std::size_t>(pattern)];
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

    // Each pattern on no line joins the first of the lines listed (ids) of
    // its family where it decides no deal: the list plays as before, but an
    // exception that hands a deal to that line may hold it (A K unsuited
    // below the Ace alone). Whether any joined.
    bool adoptSilent(const std::vector<int>& into)
    {
        bool adopted = false;
        for (int p = 0; p < m_book.count(); ++p) {
            if (m_lineOf[static_cast<std::size_t>(p)] >= 0)
                continue;
            const std::vector<std::uint32_t>& classes = (*m_byPattern)[static_cast<std::size_t>(p)];
            for (const int line : m_order) {
                if (m_book.family(m_lines[static_cast<std::size_t>(line)][0]) != m_book.family(p) ||
                    std::find(into.begin(), into.end(), line) == into.end())
                    continue;
                const int rank = m_rank[static_cast<std::size_t>(line)];
                const bool silent = std::all_of(classes.begin(), classes.end(), [&](auto c) {
                    const std::uint32_t d = m_decider[c];
                    if (rankOf(d) < rank)
                        return true;
                    if (lineOfEntry(d) != line)
                        return false;
                    for (std::uint32_t e = m_data.m_first[c]; e < m_data.m_first[c + 1]; ++e)
                        if (entry(e).pattern == p)
                            return value(e) < value(d);
                    return true;
                });
                if (!silent)
                    continue;
                m_lines[static_cast<std::size_t>(line)].push_back(p);
                m_lineOf[static_cast<std::size_t>(p)] = line;
                for (const std::uint32_t c : classes)
                    locate(c);
                adopted = true;
                break;
            }
        }
        return adopted;
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
    bool holdsFallback(int line) const
    {
        const StrategyLine& l = m_lines[static_cast<std::size_t>(line)];
        return std::any_of(l.begin(), l.end(), [&](int p) { return m_book.fallback(p); });
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
        allClasses(line, [&](std::uint32_t c) {
            f(c);
            return true;
        });
    }

    // Whether pred holds for every class offering a pattern of the line; it
    // stops at the first that fails, as most candidate merges do early.
    template <class P> bool allClasses(int line, P&& pred)
    {
        ++m_tick;
        for (const int p : m_lines[static_cast<std::size_t>(line)])
            for (const std::uint32_t c : (*m_byPattern)[static_cast<std::size_t>(p)])
                if (m_stamp[c] != m_tick) {
                    m_stamp[c] = m_tick;
                    if (!pred(c))
                        return false;
                }
        return true;
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
        return allClasses(b, [&](std::uint32_t c) {
            const std::uint32_t d = m_decider[c];
            if (rankOf(d) < ra || lineOfEntry(d) == b)
                return true;
            return lineOfEntry(d) == a && value(entryOf(c, b)) <= value(d);
        });
    }

    // Whether line a, above line b, can join b at b's rank with no deal
    // changed: the deals a decides go to the next line that fits, which must
    // be b, and b must hold no better there.
    bool joinDownChangesNothing(int a, int b)
    {
        const int rb = m_rank[static_cast<std::size_t>(b)];
        return allClasses(a, [&](std::uint32_t c) {
            const std::uint32_t d = m_decider[c];
            if (lineOfEntry(d) != a || m_second[c] == kNone)
                return true;
            return rankOf(m_second[c]) > rb ||
                   (lineOfEntry(m_second[c]) == b && value(m_second[c]) <= value(d));
        });
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
            for (const std::uint32_t c : (*m_byPattern)[static_cast<std::size_t>(p)])
                locate(c);
    }

    const StrategyData& m_data;
    const PatternBook& m_book;
    // Classes offering each pattern; the copies of a search share it.
    std::shared_ptr<const std::vector<std::vector<std::uint32_t>>> m_byPattern;
    std::vector<StrategyLine> m_lines;    // by line id
    std::vector<int> m_order;             // line ids, best first
    std::vector<int> m_rank;              // by line id
    std::vector<int> m_lineOf;            // by pattern; -1 when on no line
    std::vector<std::uint32_t> m_decider; // entry index, by class
    std::vector<std::uint32_t> m_second;
    std::vector<std::uint32_t> m_stamp;
    std::uint32_t m_tick = 0;
};

} // namespace odds
