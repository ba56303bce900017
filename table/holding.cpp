#include "main_window.h"

#include "card_view.h"

#include <QMenu>
#include <QPushButton>

void frmQuintara::cmdHold_Click(int Index)
{
    table::ToggleHold(m_state, Index);
    showCards();
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
