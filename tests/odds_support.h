#pragma once

#include "card_code.h"
#include "deck.h"
#include "draw_tables.h"
#include "hold_analysis.h"
#include "pay_text.h"
#include "pays.h"
#include "random.h"

#include <QString>
#include <algorithm>
#include <array>
#include <utility>

namespace odds_test {

// The sanitizer build runs unoptimized and several times slower: it checks the
// same paths on fewer cases.
#ifdef NDEBUG
constexpr bool kFullRun = true;
#else
constexpr bool kFullRun = false;
#endif

// Built once per test program: every exact figure starts from these tables.
inline const odds::DrawTables& Tables()
{
    static const odds::DrawTables tables;
    return tables;
}

// Five cards in the analyzer's notation; all zero when the text is not five cards.
inline std::array<int, 5> Deal(const QString& text)
{
    const auto parsed = cards::ParseCards(text.toStdString());
    std::array<int, 5> dealt{};
    if (parsed && parsed->size() == 5)
        std::copy(parsed->begin(), parsed->end(), dealt.begin());
    return dealt;
}

// A pay table as the command line writes it; the game's own for "", and all
// zero for text that is not one.
inline odds::PayVector Pays(const QString& text)
{
    std::string error;
    return text.isEmpty() ? odds::GamePays()
                          : odds::ParsePays(text.toStdString(), error).value_or(odds::PayVector{});
}

struct PlayedHand
{
    std::array<int, 5> dealt{};
    unsigned hold = 0;
    std::array<int, 5> final{};
};

// One hand as the game plays it, written plainly: a fresh deck built in
// deck, five cards from the top, the best hold, then each discarded place,
// left to right, refilled from the top. The simulation's fast path must
// play the very same hands.
inline PlayedHand PlayHand(const odds::DrawTables& tables, const odds::PaidTables& paid,
                           cards::Random& random, cards::CardString& deck)
{
    PlayedHand hand;
    cards::NewDeck(deck, random);
    cards::ShuffleDeck(deck, random);
    for (int& card : hand.dealt)
        card = cards::TakeCard(deck, random);
    hand.hold = odds::PlayBest(tables, paid, hand.dealt).hold;
    hand.final = hand.dealt;
    for (int place = 0; place < 5; ++place)
        if (!(hand.hold & (1u << place)))
            hand.final[static_cast<std::size_t>(place)] = cards::TakeCard(deck, random);
    return hand;
}

// Every five-card deal of a deck of n cards (codes 1..n, the joker 53), once,
// the codes of each ascending.
template <class F> void ForEachDealOf(int n, F&& f)
{
    std::array<int, 5> h{};
    for (h[0] = 1; h[0] <= n - 4; ++h[0])
        for (h[1] = h[0] + 1; h[1] <= n - 3; ++h[1])
            for (h[2] = h[1] + 1; h[2] <= n - 2; ++h[2])
                for (h[3] = h[2] + 1; h[3] <= n - 1; ++h[3])
                    for (h[4] = h[3] + 1; h[4] <= n; ++h[4])
                        f(std::as_const(h));
}

} // namespace odds_test
