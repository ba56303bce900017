#include "game_state.h"

#include "deck.h"
#include "evaluator.h"

#include <QLocale>
#include <QtNumeric>
#include <cmath>
#include <limits>

namespace rules {

namespace {

constexpr qint32 kMaxAmount = std::numeric_limits<qint32>::max();
constexpr qint32 kMinAmount = std::numeric_limits<qint32>::min();

} // namespace

PhaseRule RuleOf(Phase phase)
{
    switch (phase) {
    case Phase::Betting:
        return {true, false, {true, true, false}};
    case Phase::Dealing:
        return {false, false, {false, false, false}};
    case Phase::Holding:
        return {true, true, {true, false, true}};
    case Phase::Drawing:
        return {false, true, {true, false, false}};
    case Phase::Settling:
        return {false, false, {true, false, false}};
    case Phase::GameOver:
        return {false, false, {true, true, false}};
    }
    return {};
}

void ClampDealBet(GameState& state)
{
    if (state.Bet > kMaxBet)
        state.Bet = kMaxBet;
    if (state.Bet > state.Account)
        state.Bet = state.Account;
}

void ClampEnteredBet(GameState& state)
{
    ClampDealBet(state);
    if (state.Bet < 0)
        state.Bet = 0;
}

int StepBetUp(GameState& state)
{
    int cuts = 0;
    // A bet near the 32-bit limit is above kMaxBet anyway, so saturating is exact.
    if (qAddOverflow(state.Bet, kBetStep, &state.Bet))
        state.Bet = kMaxAmount;
    if (state.Bet > kMaxBet) {
        state.Bet = kMaxBet;
        ++cuts;
    }
    if (state.Bet > state.Account) {
        state.Bet = state.Account;
        ++cuts;
    }
    return cuts;
}

int StepBetDown(GameState& state)
{
    int cuts = 0;
    if (qSubOverflow(state.Bet, kBetStep, &state.Bet))
        state.Bet = kMinAmount;
    if (state.Bet < 0) {
        state.Bet = 0;
        ++cuts;
    }
    if (state.Bet > state.Account) {
        state.Bet = state.Account;
        ++cuts;
    }
    return cuts;
}

qint32 BetBoxMaximum(const GameState& state)
{
    return state.Account < kMaxBet ? state.Account : kMaxBet;
}

qint32 BetBoxDefault(const GameState& state)
{
    return static_cast<qint32>(std::floor(BetBoxMaximum(state) / 2.0));
}

std::optional<qint64> ConvertWhole(const QString& text, const QLocale& locale, qint64 min,
                                   qint64 max)
{
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // nearbyint follows the default rounding mode, round half to even.
    const double whole = std::nearbyint(value);
    if (whole < static_cast<double>(min) || whole > static_cast<double>(max))
        return std::nullopt;
    return static_cast<qint64>(whole);
}

std::optional<qint32> ParseBetReply(const QString& text, const QLocale& locale)
{
    const auto whole = ConvertWhole(text, locale, kMinAmount, kMaxAmount);
    return whole ? std::optional<qint32>(static_cast<qint32>(*whole)) : std::nullopt;
}

bool DebitBet(GameState& state)
{
    qint32 rest = 0;
    if (qSubOverflow(state.Account, state.Bet, &rest))
        return false;
    state.Account = rest;
    return true;
}

Settlement EvaluateSettlement(const GameState& state)
{
    Settlement result;
    if (state.Hand.size() != 5)
        return result;
    // The row EvaluateHand reads its multiplier and comment from; its sound comes with it.
    const hands::PayRow& row =
        hands::PayRowOf(hands::ClassifyHand(hands::Hand5(state.Hand.data(), 5)));
    result.multiplier = row.multiplier;
    result.comment = row.comment;
    result.sound = row.sound;
    if (qMulOverflow(state.Bet, result.multiplier, &result.win))
        result.win = state.Bet < 0 ? kMinAmount : kMaxAmount;
    return result;
}

void CreditWin(GameState& state, qint32 win)
{
    if (qAddOverflow(state.Account, win, &state.Account))
        state.Account = win > 0 ? kMaxAmount : kMinAmount;
}

DrawnCard DrawIntoHand(GameState& state, cards::Random& random, bool change)
{
    // The analyzer's "game's deal" takes its cards the same way, so the two cannot drift apart.
    const int card = cards::TakeCard(state.Deck, random);
    const int place = state.NextCard;
    if (!change || place < 0 || place >= static_cast<int>(state.Hand.size()))
        state.Hand.push_back(card);
    else
        state.Hand[static_cast<std::size_t>(place)] = card;
    ++state.NextCard;
    return {card, place};
}

DrawnCard DrawCard(GameState& state, cards::Random& random, bool showCard, bool change)
{
    const DrawnCard drawn = DrawIntoHand(state, random, change);
    if (drawn.place >= 0 && drawn.place < static_cast<int>(state.Shown.size()))
        state.Shown[static_cast<std::size_t>(drawn.place)] = showCard ? drawn.card : state.CardBack;
    return drawn;
}

void DealNext(GameState& state, cards::Random& random, const std::function<bool()>& afterCard)
{
    for (int i = 0; i < static_cast<int>(state.Shown.size()); ++i) {
        // Read afresh each time: a back changed during a pause is followed.
        if (state.Shown[static_cast<std::size_t>(i)] != state.CardBack)
            continue;
        state.NextCard = i;
        DrawCard(state, random, true, true);
        if (!afterCard())
            return;
    }
}

void ToggleHold(GameState& state, int place)
{
    if (place < 0 || place >= static_cast<int>(state.Shown.size()))
        return;
    const auto at = static_cast<std::size_t>(place);
    if (state.Shown[at] != state.CardBack)
        state.Shown[at] = state.CardBack;
    else if (at < state.Hand.size())
        state.Shown[at] = state.Hand[at];
}

bool ChangeBack(GameState& state, int code)
{
    if (!cards::IsBackCode(code))
        return false;
    for (int& shown : state.Shown) {
        if (shown == state.CardBack)
            shown = code;
    }
    state.CardBack = code;
    return true;
}

Opening ReadOpening(const QString& score, const QString& cardDeck, const QLocale& locale)
{
    Opening opening;
    // The store's texts are read as the bet box reads amounts; the back is a
    // 16-bit number, as it always was stored.
    const auto account = ConvertWhole(score, locale, kMinAmount, kMaxAmount);
    opening.scoreRead = account.has_value();
    if (account && *account > 0) {
        opening.account = static_cast<qint32>(*account);
        opening.newPlayer = false;
    }
    const auto back = ConvertWhole(cardDeck, locale, std::numeric_limits<qint16>::min(),
                                   std::numeric_limits<qint16>::max());
    if (back && cards::IsBackCode(static_cast<int>(*back)))
        opening.back = static_cast<int>(*back);
    return opening;
}

void OpenGame(GameState& state, const Opening& opening, cards::Random& random)
{
    state.Account = opening.account;
    ChangeBack(state, opening.back);
    cards::NewDeck(state.Deck, random);
    cards::ShuffleDeck(state.Deck, random);
}

} // namespace rules
