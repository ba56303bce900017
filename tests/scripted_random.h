#pragma once

// A random number source for card tests: it plays back queued values, or
// stacks a deck, so a test knows every card the shuffle brings.

#include "deck.h"
#include "random.h"

#include <QtGlobal>
#include <algorithm>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

// Plays back queued values, then 0.0 for ever, or the values of a seeded
// generator once seed() gave one. A shuffle fed only zeros leaves a deck in
// its order, so an empty queue deals 1, 2, 3, ...
class ScriptedRandom final : public cards::Random
{
  public:
    explicit ScriptedRandom(std::deque<float> queued = {}) : values(std::move(queued)) {}
    float next() override
    {
        ++draws;
        if (values.empty())
            return m_after ? m_after->next() : 0.0f;
        const float v = values.front();
        values.pop_front();
        return v;
    }
    void reseed() override { ++reseeds; }
    void seed(quint64 seed) { m_after.emplace(seed); }

    // Queues the 104 values of one shuffle of a fresh deck whose top cards are
    // `top`, in that order; the rest of the deck follows in some order.
    void stackDeck(const cards::CardString& top)
    {
        const int n = cards::kCardCount;
        cards::CardString deck(n);
        for (int i = 0; i < n; ++i)
            deck[i] = i + 1;
        std::vector<std::pair<int, int>> cuts;
        auto cut = [&](int a, int b) {
            cards::TripleCut(deck, a, b);
            cuts.emplace_back(a, b);
        };
        // Build the top from its last card up: cut (p - 1, p) puts the card at
        // place p just ahead of the cards above it, and a rotation lifts both on top.
        for (auto it = top.rbegin(); it != top.rend(); ++it) {
            if (std::count(top.begin(), top.end(), *it) != 1)
                qFatal("stackDeck: card %d wanted twice", *it);
            const int p =
                1 + static_cast<int>(std::find(deck.begin(), deck.end(), *it) - deck.begin());
            cut(p - 1, p);
            cut(n - p, n);
        }
        cuts.resize(n, {0, 0});
        for (auto [a, b] : cuts) {
            values.push_back(valueFor(a));
            values.push_back(valueFor(b));
        }
    }

    std::deque<float> values;
    int draws = 0;
    int reseeds = 0;

  private:
    static float valueFor(int k)
    {
        // r x 52 must round to k; r stays below 1 even for k = 52.
        return k == 0 ? 0.0f : (static_cast<float>(k) - 0.25f) / cards::kCardCount;
    }

    std::optional<cards::SeededRandom> m_after;
};
