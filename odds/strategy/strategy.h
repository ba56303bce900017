#pragma once

#include "exact_return.h"
#include "hold_analysis.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace odds {

// The words of strategy lists. Every hold gets one pattern, or none when no
// player would name it (three cards of a pair and a kicker): it depends only
// on the ranks held and on whether the natural cards held share one suit, so
// one vocabulary serves every table of a family. A hold that throws a wild
// card away has none: no player does.
class PatternBook
{
  public:
    static const PatternBook& Get(const Family& family = JacksFamily());

    int count() const { return static_cast<int>(m_names.size()); }
    const std::string& name(int pattern) const
    {
        return m_names[static_cast<std::size_t>(pattern)];
    }
    // Lines of one family may merge into one line that matches any of them.
    int family(int pattern) const { return m_family[static_cast<std::size_t>(pattern)]; }
    // The words of a line of one or more patterns of one family.
    std::string lineName(const std::vector<int>& patterns) const;
    // The pattern of the held cards of a dealt hand, or kNoPattern.
    int patternOf(std::span<const int, 5> dealt, unsigned hold) const;
    // The wild cards a pattern holds.
    int wilds(int pattern) const { return m_wilds[static_cast<std::size_t>(pattern)]; }
    const Family& game() const { return *m_game; }
    // A hold's pattern where the dealt hand has dealtPattern: words of a draw
    // never describe a hand that already is the row they name or better, so
    // a dealt royal is no "4 to a Royal Flush". kNoPattern then.
    int inDeal(int pattern, int dealtPattern) const;
    // The same from a rank multiset index of DrawTables and the one-suit flag.
    int patternOfMultiset(int multiset, bool oneSuit) const
    {
        return m_byMultiset[static_cast<std::size_t>(2 * multiset + (oneSuit ? 1 : 0))];
    }
    // Lines that every list keeps, so that every deal has one that decides:
    // "Draw five", and holding the wild cards alone.
    bool fallback(int pattern) const { return m_fallback[static_cast<std::size_t>(pattern)]; }

    static constexpr int kNoPattern = -1;

  private:
    explicit PatternBook(const Family& family);
    int heldPattern(std::span<const int, 5> dealt, unsigned hold) const;
    struct WordFamily
    {
        std::string key;
        int style = 0;
        std::string complete;
        int members = 0;
    };
    std::vector<std::string> m_names;
    std::vector<std::string> m_details;
    std::vector<int> m_orders;
    std::vector<int> m_family;
    std::vector<int> m_aims; // the row a draw names, or -1
    std::vector<int> m_rows; // a made hand's row, or -1
    std::vector<WordFamily> m_families;
    std::vector<int> m_wilds;
    std::vector<bool> m_fallback;
    std::vector<int> m_byMultiset;
    const odds::Family* m_game;
};

// A strategy line: the patterns it matches, all of one family.
using StrategyLine = std::vector<int>;

// Where one order cannot serve every hand: when line `line` decides and the
// cards its hold throws away meet the condition, the lower line `instead` is
// played if it fits. It amends only the line that decides, never chains.
struct StrategyException
{
    int line = 0;
    int instead = 0;
    unsigned values = 0;    // a thrown-away card of one of these values (bit 2..14)
    bool heldSuit = false;  // or: a thrown-away card of the suit of the held cards
    bool twoOfSuit = false; // or: two thrown-away cards of the suit of a held card
    bool heldRank = false;  // or: a thrown-away card of the rank of a held card
    bool allValues = false; // instead: a thrown-away card of each of the values
    int heldValue = 0;      // 2..14: and only where the hold keeps a card of this value
    bool suitAnd = false;   // instead: a card of the held suit and one of the values
    int without = 0;        // 2..14: and no thrown-away card of this value off the held suit

    // wildRank: the family's, whose cards the conditions leave out.
    bool applies(std::span<const int, 5> dealt, unsigned hold, int wildRank = -1) const;
    // "it throws away a 10 or a 9", "it throws away a King and an Ace",
    // "it holds a 10 and throws away a card of the held suit",
    // "it throws away two cards of a held card's suit",
    // "it throws away a card of a held rank",
    // "it throws away a card of the held suit and a card from 2 to 5"
    std::string condition() const;
};

// The hold a ranked list plays: the first line that one of the holds matches
// decides, and of two holds on that line the better one is kept; then an
// exception of that line may hand the deal to its lower line. table and
// pays give each hold's return; returns kHoldCount when no line matches.
unsigned ListHold(const std::vector<StrategyLine>& lines,
                  const std::vector<StrategyException>& exceptions, std::span<const int, 5> dealt,
                  const HoldTable& table, const PayVector& pays,
                  const Family& family = JacksFamily());

// A costly kind of departure from optimal play: the list's line beside the
// pattern of the best hold, with the deal that loses the most.
struct Deviation
{
    int listLine = 0;
    int bestPattern = PatternBook::kNoPattern;
    Wide lost = 0; // summed over deals, in units of the deck's whole denominator
    std::array<int, 5> example{};
    unsigned listHold = 0;
    unsigned bestHold = 0;
    std::int64_t exampleLoss = 0; // per unit bet, in units of 1/deck.denominator
};

// Exact figures for a list played on every deal.
struct StrategyGrade
{
    Deck deck = kDeck52;
    Wide paid = 0;                     // in units of deals x deck.denominator
    Wide optimalPaid = 0;              // the same under the best hold
    std::int64_t dealsDiffering = 0;   // deals on which the list's hold returns less
    std::vector<std::int64_t> decides; // deals each line decides, by line
    std::vector<std::int64_t> moved;   // deals each exception hands to its line
    std::vector<Wide> gained;          // what each exception wins, in paid's units
    std::vector<Deviation> costliest;  // at most five, costliest first

    double returnValue() const;
    double gap() const;
    Wide denominator() const { return Wide(deck.deals) * deck.denominator; }
};

struct Strategy
{
    std::vector<StrategyLine> lines;           // best first
    std::vector<StrategyException> exceptions; // by the line they amend
    StrategyGrade grade;
};

// Every deal class of one pay table with the best hold of each pattern it
// offers: the data lists are ranked and graded from.
class StrategyData
{
  public:
    StrategyData(const DrawTables& tables, const PayVector& pays, int threads);
    const Family& family() const { return *m_family; }
    const PatternBook& book() const { return *m_book; }

    // The best list of at most maxLines lines the search finds (maxLines >= 1;
    // "Draw five" is always a line, so every deal has one that decides).
    // Exceptions count as lines; one is kept only where it wins at least
    // minGain per unit bet. The lists weighed come from one search path that
    // no budget changes, so a larger budget never returns less.
    Strategy best(int maxLines, double minGain = kExceptionGain) const;
    StrategyGrade grade(const std::vector<StrategyLine>& lines,
                        const std::vector<StrategyException>& exceptions = {}) const;

    // Smaller gains are not worth a line a player has to remember.
    static constexpr double kExceptionGain = 0.000001;

  private:
    struct Entry
    {
        std::int64_t value; // return of the hold, 1/deck.denominator units
        std::uint16_t pattern;
        std::uint8_t hold;
    };
    const Family* m_family;
    const PatternBook* m_book;
    std::vector<DealClass> m_classes;
    std::vector<std::uint32_t> m_first; // entries of class c: m_first[c] .. m_first[c + 1]
    std::vector<Entry> m_entries;
    // The entries' patterns apart: the passes over every class read these
    // and touch an entry only where its pattern is on a line.
    std::vector<std::uint16_t> m_patterns;
    std::vector<std::int64_t> m_bestValue;
    std::vector<std::uint8_t> m_bestHold;
    std::vector<std::int16_t> m_bestPattern; // the best hold's words, for departures
    int m_threads = 1;

    // How far the lists weighed for a budget reach either side of it; each
    // shorter one is refined, and more would cost time without gaining.
    static constexpr int kLongerLists = 4;
    static constexpr int kShorterLists = 6;

    struct Scan;
    // For every active line, the exception that would gain most on it, asked
    // after the given ones; over the classes listed in only, or all.
    Scan scan(const std::vector<StrategyLine>& lines, const std::vector<StrategyException>& given,
              const std::vector<bool>& active,
              const std::vector<std::uint32_t>* only = nullptr) const;
    // grade over the classes listed in only, or all: the gains of exceptions
    // whose lines decide only those are whole.
    StrategyGrade gradeOn(const std::vector<StrategyLine>& lines,
                          const std::vector<StrategyException>& exceptions,
                          const std::vector<std::uint32_t>* only) const;
    // Rounds of exceptions a line may collect, each asked after the last.
    static constexpr int kExceptionRounds = 6;
    // How far below its line an exception may send the deal.
    static constexpr std::size_t kExceptionReach = 6;
    // Steps of moving a line above the one that costs it most: on 10/7
    // Double Bonus the third gains little and the fourth five times as much.
    static constexpr int kReorderSteps = 4;
    // The costliest departures each step tries.
    static constexpr std::size_t kReorderTries = 4;
    // Shorter lists gain more from a line than from any exception.
    static constexpr int kRefinedFrom = 24;

    friend class StrategySearch;
};

} // namespace odds
