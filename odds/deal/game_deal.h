#pragma once

#include "hold_analysis.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace cards {
class Random;
}

namespace odds {

// Which deal a value or a hand is for: a uniformly shuffled deck, or the
// game's own shuffle with the draw refilling from the top, left to right.
enum class DealKind
{
    Fair,
    Game,
};

// The game's shuffle moves blocks of the ordered deck without turning them
// round, so a dealt deck is a string of runs of consecutive codes: after a
// card c the next is often c's successor (the next rank of its suit, a King
// followed by the next suit's Ace, the King of spades by the Ace of clubs).
constexpr int Successor(int code)
{
    return code % 52 + 1;
}

// The model of the draw that GameDeal's values are exact under. The cards
// after the deal are read as runs: drawn card i (deck place 6 + i) goes on
// with the run of the card before it with chance link[i], if that card is
// still free; otherwise it starts a new run at a card drawn uniformly from the
// free ones. A card is free when no dealt card and no run took it. Card 5's
// run and one new run are followed; every other drawn card is a single,
// drawn last and uniformly from what the runs left, so that the count of each
// final row comes from the exact draw tables.
struct DealModel
{
    std::array<double, 5> link{};
};

// The link chances measured on the game's own shuffle (tools/measure_deal).
DealModel GameDealModel();

// Counted on shuffled decks, for each place k + 1 = 1..9: how often the
// successor of the card there was not among places 1..k + 1, and how often
// it then came next. tools/measure_deal writes these into
// game_deal_links.h.
struct LinkMeasure
{
    std::array<std::uint64_t, 9> free{}; // successor not among the earlier cards
    std::array<std::uint64_t, 9> next{}; // and it came next
};
LinkMeasure MeasureLinks(cards::Random& random, std::uint64_t decks);
// The model's link chance from one measured place: the card that is not a
// run's next is uniform over `unseen` cards, the successor among them.
double LinkFromMeasure(double successorChance, int unseen);

// Every hold's value per unit bet for the cards as dealt, in order (place k
// is deck place k + 1), under a DealModel.
using HoldValues = std::array<double, kHoldCount>;

class PaidLookup;

class GameDeal
{
  public:
    GameDeal(const PaidTables& paid, const DealModel& model);
    ~GameDeal();

    HoldValues values(std::span<const int, 5> dealt) const;

  private:
    std::unique_ptr<const PaidLookup> m_paid;
    DealModel m_model;
};

// The best hold of a list of values: the higher value, then (within 1e-12)
// fewer cards, then the lower mask, as BetterHold orders exact returns.
unsigned BestOf(const HoldValues& values);

} // namespace odds
