#include "main_window.h"

#include "card_view.h"
#include "deck.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

bool frmQuintara::Pause()
{
    // The pause runs the event loop: the window may be closed or even
    // destroyed before it returns, so nothing of it is touched afterwards
    // unless it is still there and still open.
    QPointer<frmQuintara> self(this);
    Host& waiter = host();
    waiter.pause();
    return self && !self->m_unloaded;
}

bool frmQuintara::ShowBox(const QString& prompt, BoxStyle style, const QString& title)
{
    QPointer<frmQuintara> self(this);
    Host& boxes = host();
    boxes.messageBox(prompt, style, title);
    return self && !self->m_unloaded;
}

void frmQuintara::cmdDeal_Click()
{
    if (!m_state.Ready)
        return;
    QPointer<frmQuintara> self(this);
    m_state.Ready = false;

    if (!m_state.HandDealt) {
        m_state.phase = Phase::Dealing;
        if (m_state.Bet == 0) {
            if (!ShowBox(QStringLiteral("Play for nothing ?! Never !"), BoxStyle::Exclamation,
                         QStringLiteral("NO'p")))
                return;
            m_state.phase = Phase::Betting;
            m_state.Ready = true;
            return;
        }
        table::ClampDealBet(m_state);
        lblBet->setText(AmountText(m_state.Bet));
        cards::NewDeck(m_state.Deck, random());
        cards::ShuffleDeck(m_state.Deck, random());
        table::DebitBet(m_state);
        lblAccount->setText(AmountText(m_state.Account));
        for (CardView* place : Card) {
            place->setValue(m_state.CardBack);
            place->show();
        }
        cmdDeal->setEnabled(false);
        cmdBet->setEnabled(false);
        cmdBetUp->setEnabled(false);
        cmdBetDown->setEnabled(false);
        Deal();
        if (!self || m_unloaded)
            return;
        for (QPushButton* hold : cmdHold)
            hold->setEnabled(true);
        cmdHold[0]->setFocus(Qt::OtherFocusReason);
        m_state.HandDealt = true;
        cmdDeal->setEnabled(true);
        m_state.phase = Phase::Holding;
        m_state.Ready = true;
        return;
    }

    m_state.phase = Phase::Drawing;
    DealNext();
    if (!self || m_unloaded)
        return;
    m_state.HandDealt = false;
    m_state.phase = Phase::Settling;
    const table::Settlement result = table::EvaluateSettlement(m_state);
    if (m_state.ShowMessages) {
        SoundPlayer& player = sound();
        player.play(QString::fromUtf8(result.sound));
        const bool open = ShowBox(QString::fromStdString(result.comment) +
                                      QStringLiteral("\r\nYou get $%1").arg(result.win),
                                  BoxStyle::Exclamation, QStringLiteral("+$%1").arg(result.win));
        player.stop();
        if (!open)
            return;
    }
    table::CreditWin(m_state, result.win);
    lblAccount->setText(AmountText(m_state.Account));
    cmdBetUp->setEnabled(true);
    cmdBetDown->setEnabled(true);
    cmdBet->setEnabled(true);
    if (m_state.Account <= 0) {
        EndGame();
        return;
    }
    m_state.phase = Phase::Betting;
    m_state.Ready = true;
}

void frmQuintara::Deal()
{
    for (QPushButton* hold : cmdHold)
        hold->setEnabled(false);
    m_state.Hand.clear();
    m_state.NextCard = 0;
    for (int i = 0; i < 4; ++i) {
        DrawCard(true, false);
        if (!Pause())
            return;
    }
    DrawCard(true, false);
}

void frmQuintara::DealNext()
{
    for (QPushButton* hold : cmdHold)
        hold->setEnabled(false);
    for (int i = 0; i < static_cast<int>(Card.size()); ++i) {
        if (Card[static_cast<std::size_t>(i)]->value() != m_state.CardBack)
            continue;
        m_state.NextCard = i;
        DrawCard(true, true);
        if (!Pause())
            return;
    }
}

void frmQuintara::EndGame()
{
    m_state.phase = Phase::GameOver;
    sound().play(QString::fromUtf8(hands::kFarewellSound));
    if (!ShowBox(QStringLiteral("You have lost everything, Sorry"), BoxStyle::Information,
                 QStringLiteral("Bye-bye !")))
        return;
    close();
}
