#include "main_window.h"

#include "card_view.h"

#include <QAction>

void frmQuintara::DrawCard(bool ShowCard, bool Change)
{
    const table::DrawnCard drawn = table::DrawIntoHand(m_state, random(), Change);
    if (drawn.place < 0 || drawn.place >= static_cast<int>(Card.size()))
        return;
    CardView* place = Card[static_cast<std::size_t>(drawn.place)];
    place->setValue(ShowCard ? drawn.card : m_state.CardBack);
    place->show();
}

void frmQuintara::mnuCD_Click(int Index)
{
    if (!mnuCD.contains(Index))
        return;
    // The menu's action group takes the mark off the design used so far.
    mnuCD[Index]->setChecked(true);
    // Face-down places follow the new design so that the draw still finds them.
    for (CardView* place : Card) {
        if (place->value() == m_state.CardBack)
            place->setValue(Index);
    }
    m_state.CardBack = Index;
}
