#include "main_window.h"

#include "card_view.h"

#include <QAction>

void frmQuintara::DrawCard(bool ShowCard, bool Change)
{
    const rules::DrawnCard drawn = rules::DrawCard(m_state, random(), ShowCard, Change);
    if (drawn.place < 0 || drawn.place >= static_cast<int>(Card.size()))
        return;
    showCards();
    Card[static_cast<std::size_t>(drawn.place)]->show();
}

void frmQuintara::mnuCD_Click(int Index)
{
    selectBack(Index);
}

bool frmQuintara::selectBack(int code)
{
    if (!rules::ChangeBack(m_state, code))
        return false;
    checkBack();
    return true;
}

void frmQuintara::checkBack()
{
    for (const auto& [back, item] : mnuCD)
        item->setChecked(back == m_state.CardBack);
    showCards();
}
