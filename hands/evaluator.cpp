#include "evaluator.h"

#include "card_code.h"

#include <algorithm>

namespace hands {
namespace {

bool InSequence(const Seq5& sorted)
{
    for (int i = 1; i < 5; ++i)
        if (sorted[i] != sorted[i - 1] + 1)
            return false;
    return true;
}

bool IsJackOrBetter(int rank)
{
    return rank == 1 || rank >= 11;
}

} // namespace

void SplitHand(Hand5 hand, Seq5& suits, Seq5& ranks)
{
    for (int i = 0; i < 5; ++i) {
        suits[i] = cards::CardSuit(hand[i]);
        ranks[i] = cards::CardRank(hand[i]);
    }
}

Seq5 SortChars(Seq5 values)
{
    // Insertion sort: five values, and it stays branch-cheap and allocation-free.
    for (int i = 1; i < 5; ++i) {
        const int v = values[i];
        int j = i - 1;
        while (j >= 0 && values[j] > v) {
            values[j + 1] = values[j];
            --j;
        }
        values[j + 1] = v;
    }
    return values;
}

bool IsOneSuit(const Seq5& suits)
{
    for (int i = 1; i < 5; ++i)
        if (suits[i] != suits[i - 1])
            return false;
    return true;
}

bool IsStraight(const Seq5& ranks)
{
    if (InSequence(SortChars(ranks)))
        return true;
    Seq5 aceHigh = ranks;
    for (int& r : aceHigh)
        if (r == 1)
            r = 14;
    return InSequence(SortChars(aceHigh));
}

bool IsFullHouse(const Seq5& ranks)
{
    const Seq5 r = SortChars(ranks);
    return r[0] == r[1] && r[3] == r[4] && (r[1] == r[2] || r[2] == r[3]);
}

bool IsTwoPairs(const Seq5& ranks)
{
    const Seq5 r = SortChars(ranks);
    if (r[0] == r[1])
        return (r[2] == r[3] || r[3] == r[4]) && !(r[0] == r[2] || r[0] == r[3]);
    return r[1] == r[2] && r[3] == r[4] && r[2] != r[3];
}

int CountOfAKind(const Seq5& ranks)
{
    const Seq5 r = SortChars(ranks);
    int count[2] = {0, 0};
    int rank[2] = {0, 0};
    int group = 0;
    for (int i = 0; i < 4; ++i) {
        if (r[i + 1] == r[i]) {
            ++count[group];
            rank[group] = r[i];
        } else if (count[group] > 0 && group == 0) {
            group = 1;
        }
    }
    if (count[0] != count[1]) {
        const int g = count[0] > count[1] ? 0 : 1;
        if (count[g] == 1)
            return IsJackOrBetter(rank[g]) ? 2 : 0;
        return count[g] + 1;
    }
    if (count[0] == 1)
        return (IsJackOrBetter(rank[0]) || IsJackOrBetter(rank[1])) ? 2 : 0;
    return 0;
}

HandClass ClassifyHand(Hand5 hand)
{
    Seq5 suits{};
    Seq5 ranks{};
    SplitHand(hand, suits, ranks);
    if (IsOneSuit(suits)) {
        if (!IsStraight(ranks))
            return HandClass::Flush;
        const bool ace = std::find(ranks.begin(), ranks.end(), 1) != ranks.end();
        const bool king = std::find(ranks.begin(), ranks.end(), 13) != ranks.end();
        return (ace && king) ? HandClass::RoyalFlush : HandClass::StraightFlush;
    }
    if (IsStraight(ranks))
        return HandClass::Straight;
    if (IsFullHouse(ranks))
        return HandClass::FullHouse;
    if (IsTwoPairs(ranks))
        return HandClass::TwoPair;
    switch (CountOfAKind(ranks)) {
    case 4:
        return HandClass::FourOfAKind;
    case 3:
        return HandClass::ThreeOfAKind;
    case 2:
        return HandClass::JacksOrBetter;
    default:
        return HandClass::Nothing;
    }
}

int EvaluateHand(Hand5 hand, std::string& comment)
{
    const PayRow& row = PayRowOf(ClassifyHand(hand));
    comment.assign(row.comment);
    return row.multiplier;
}

} // namespace hands
