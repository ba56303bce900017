#include "main_window.h"

#include "card_view.h"

#include <QEvent>
#include <QMenu>
#include <QPushButton>

void frmQuintara::cmdHold_Click(int Index)
{
    rules::ToggleHold(m_state, Index);
    showCards();
}

void frmQuintara::cmdHold_Keyup(int Index)
{
    if (Index == 4)
        FocusDeal();
}

void frmQuintara::cmdHold_KeyEvent(int Index, const QEvent& event)
{
    switch (event.type()) {
    case QEvent::ShortcutOverride: // a key the table's shortcuts take, such as 5
    case QEvent::KeyPress:
        m_keyPressedOn = Index;
        break;
    case QEvent::FocusOut:
        // Tab went down on the button before and comes up on the next one:
        // that release is not this button's.
        if (m_keyPressedOn == Index)
            m_keyPressedOn = -1;
        break;
    case QEvent::KeyRelease:
        if (m_keyPressedOn != Index)
            break;
        m_keyPressedOn = -1;
        // The button acts on this release itself (Space clicks on release),
        // so the focus moves only after it has.
        QMetaObject::invokeMethod(
            this, [this, Index] { cmdHold_Keyup(Index); }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
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
