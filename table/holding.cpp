#include "main_window.h"

#include "card_view.h"

#include <QMenu>
#include <QPushButton>

void frmQuintara::cmdHold_Click(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(Card.size()))
        return;
    const auto place = static_cast<std::size_t>(Index);
    if (Card[place]->value() == m_state.CardBack) {
        if (place < m_state.Hand.size())
            Card[place]->setValue(m_state.Hand[place]);
    } else {
        Card[place]->setValue(m_state.CardBack);
    }
}

void frmQuintara::cmdHold_Keyup(int Index)
{
    if (Index == 4)
        FocusDeal();
}

void frmQuintara::Card_MouseDown(int Index, Qt::MouseButton Button, const QPoint& globalPos)
{
    if (Index < 0 || Index >= static_cast<int>(cmdHold.size()))
        return;
    if (Button == Qt::LeftButton) {
        if (cmdHold[static_cast<std::size_t>(Index)]->isEnabled())
            cmdHold_Click(Index);
        return;
    }
    mnuCardDeck->popup(globalPos);
}

void frmQuintara::Card_GotFocus(int)
{
    FocusDeal();
}

void frmQuintara::FocusDeal()
{
    // A disabled Deal button cannot take the focus; then it stays where it is.
    if (cmdDeal->isEnabled())
        cmdDeal->setFocus(Qt::OtherFocusReason);
}
