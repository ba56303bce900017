#pragma once

#include "card_code.h"
#include "pay_table.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <functional>
#include <optional>
#include <string>

class QLocale;
namespace cards {
class Random;
}

namespace rules {

// Where a hand stands. The window applies a phase's rule to the flags and the
// buttons in one step; only the refusal box of a deal is Dealing with the
// buttons still as they were.
enum class Phase
{
    Betting,
    Dealing,
    Holding,
    Drawing,
    Settling,
    GameOver
};

// The variables every handler of the table reads and writes in place. They
// start zeroed; start-up gives Account, Ready, CardBack and ShowMessages their
// first real values. The card places show Shown.
struct GameState
{
    qint32 Account = 0;
    qint32 Bet = 0;
    cards::CardString Deck;
    cards::CardString Hand;
    int NextCard = 0;
    bool Ready = false;
    bool HandDealt = false;
    bool ShowMessages = false;
    int CardBack = 0;
    // What each place shows: a card code, or a back code. A place is face
    // down exactly when it shows CardBack.
    std::array<int, 5> Shown{cards::kDefaultBack, cards::kDefaultBack, cards::kDefaultBack,
                             cards::kDefaultBack, cards::kDefaultBack};
    Phase phase = Phase::Betting;
};

constexpr qint32 kMaxBet = 100000;
constexpr qint32 kBetStep = 10;

// Which of the table's buttons a phase leaves usable.
struct ControlStates
{
    bool deal = false;
    bool bet = false; // cmdBet, cmdBetUp and cmdBetDown alike
    bool hold = false;
};

// The flags and buttons a phase starts with. Settling starts with the bet
// buttons off; the hand cycle turns them on before the phase ends.
struct PhaseRule
{
    bool ready;
    bool handDealt;
    ControlStates controls;
};
PhaseRule RuleOf(Phase phase);

// The deal's two cuts: at most kMaxBet, at most the account.
void ClampDealBet(GameState& state);

// The input box's cuts, silent: kMaxBet, the account, then 0.
void ClampEnteredBet(GameState& state);

// Up and Down: one step, then the cuts; returns how many cuts applied (beeps).
int StepBetUp(GameState& state);
int StepBetDown(GameState& state);

// The input box's range and default amount for the current account.
qint32 BetBoxMaximum(const GameState& state);
qint32 BetBoxDefault(const GameState& state);

// Text as a whole number: read with the given locale, else as plain C-locale
// digits; fractions round half to even. Empty text, letters and values outside
// [min, max] give nothing. Bet replies and stored settings both read this way.
std::optional<qint64> ConvertWhole(const QString& text, const QLocale& locale, qint64 min,
                                   qint64 max);

// The reply of the bet box as a 32-bit whole number.
std::optional<qint32> ParseBetReply(const QString& text, const QLocale& locale);

// Takes the bet from the account; false (and nothing taken) should it overflow.
bool DebitBet(GameState& state);

struct Settlement
{
    int multiplier = 0;
    std::string comment;
    std::string_view sound = hands::PayRowOf(hands::HandClass::Nothing).sound;
    qint32 win = 0; // Bet x multiplier, capped at the largest 32-bit value
};
Settlement EvaluateSettlement(const GameState& state);

// Adds the win, capping the account at the largest 32-bit value.
void CreditWin(GameState& state, qint32 win);

// The card part of DrawCard: renews a short deck, puts its top card into Hand
// (appended, or replacing place NextCard), takes it off the deck and advances
// NextCard. Returns the card and the place it went to.
struct DrawnCard
{
    int card = 0;
    int place = 0;
};
DrawnCard DrawIntoHand(GameState& state, cards::Random& random, bool change);

// DrawIntoHand, and the place the card went to shows it, or the back.
DrawnCard DrawCard(GameState& state, cards::Random& random, bool showCard, bool change);

// Replaces the face-down places from left to right; after each card,
// `afterCard` runs (the window shows it and pauses). When that returns false
// the table is gone and nothing more is touched.
void DealNext(GameState& state, cards::Random& random, const std::function<bool()>& afterCard);

// A hold button: a face-up place turns face down; a face-down one shows its
// card again.
void ToggleHold(GameState& state, int place);

// A new back design; face-down places take it, so that the draw still finds
// them. False, and nothing changed, for a code outside the menu.
bool ChangeBack(GameState& state, int code);

// What start-up makes of the stored "Score" and "CardDeck" texts. A score
// that is absent (null), unreadable or not above 0 gives a new player's $100
// and a welcome;
// a back outside the menu gives the default design.
struct Opening
{
    qint32 account = 100;
    int back = cards::kDefaultBack;
    bool newPlayer = true;
    // The store held a number for the score, if perhaps a lost game's (0 or below).
    bool scoreRead = false;
};
Opening ReadOpening(const QString& score, const QString& cardDeck, const QLocale& locale);

// The table as a session starts it: the opening's account and back, and a
// new deck, shuffled.
void OpenGame(GameState& state, const Opening& opening, cards::Random& random);

} // namespace rules
