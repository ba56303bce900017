#pragma once

#include "card_code.h"

namespace cards {

class Random;

// A deck below this many cards is renewed before a card is taken.
constexpr int kRenewBelow = 10;

// Deck := 1..52 in ascending order, after reseeding the generator.
void NewDeck(CardString& deck, Random& random);

// Shuffles by len(deck) random triple cuts, using 2 x len random numbers.
void ShuffleDeck(CardString& deck, Random& random);

// The last n - b cards, then cards a+1..b, then the first a (1-based positions).
// Requires 0 <= a <= b <= size.
void TripleCut(CardString& deck, int a, int b);

// One cut position from one random value: r x n, halves to even.
int CutPoint(float r, int n);

// Takes the top card, renewing the deck first when fewer than kRenewBelow remain.
int TakeCard(CardString& deck, Random& random);

} // namespace cards
