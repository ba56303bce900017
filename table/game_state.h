#pragma once

#include "card_code.h"

#include <QtGlobal>

// The variables every handler of the table reads and writes in place.
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
};

enum class Phase
{
    Betting,
    Dealing,
    Holding,
    Drawing,
    Settling,
    GameOver
};
