#include "deck.h"

#include "random.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace cards {

void NewDeck(CardString& deck, Random& random)
{
    random.reseed();
    deck.resize(kCardCount);
    std::iota(deck.begin(), deck.end(), 1);
}

int CutPoint(float r, int n)
{
    // nearbyint honours the default round-to-nearest-even mode; float
    // arithmetic keeps the product as the generator's precision gives it.
    return static_cast<int>(std::nearbyint(r * static_cast<float>(n)));
}

void TripleCut(CardString& deck, int a, int b)
{
    // Rotating the whole by b puts the last block first; rotating the tail
    // then swaps the middle and first blocks into place.
    std::rotate(deck.begin(), deck.begin() + b, deck.end());
    const auto tail = deck.begin() + (static_cast<int>(deck.size()) - b);
    std::rotate(tail, tail + a, deck.end());
}

void ShuffleDeck(CardString& deck, Random& random)
{
    random.reseed();
    const int n = static_cast<int>(deck.size());
    std::vector<int> k(2 * static_cast<std::size_t>(n));
    for (int& value : k)
        value = CutPoint(random.next(), n);
    for (int i = 0; i < n; ++i) {
        const int a = std::min(k[2 * i], k[2 * i + 1]);
        const int b = std::max(k[2 * i], k[2 * i + 1]);
        TripleCut(deck, a, b);
    }
}

int TakeCard(CardString& deck, Random& random)
{
    if (static_cast<int>(deck.size()) < kRenewBelow) {
        NewDeck(deck, random);
        ShuffleDeck(deck, random);
    }
    const int card = deck.front();
    deck.erase(deck.begin());
    return card;
}

} // namespace cards
