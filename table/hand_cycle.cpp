#include "main_window.h"

#include "card_view.h"
#include "deck.h"

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

    if (!m_state.HandDealt) {
        if (m_state.Bet == 0) {
            // The refusal box holds the table with the buttons as they are.
            applyPhase(rules::Phase::Dealing, Buttons::Stay);
            if (!ShowBox(QStringLiteral("Play for nothing ?! Never !"), BoxStyle::Exclamation,
                         QStringLiteral("NO'p")))
                return;
            applyPhase(rules::Phase::Betting);
            return;
        }
        rules::ClampDealBet(m_state);
        showBet();
        cards::NewDeck(m_state.Deck, random());
        cards::ShuffleDeck(m_state.Deck, random());
        rules::DebitBet(m_state);
        showAccount();
        m_state.Shown.fill(m_state.CardBack);
        showCards();
        for (CardView* place : Card)
            place->show();
        applyPhase(rules::Phase::Dealing);
        Deal();
        if (!self || m_unloaded)
            return;
        applyPhase(rules::Phase::Holding);
        cmdHold[0]->setFocus(Qt::OtherFocusReason);
        return;
    }

    DealNext();
    if (!self || m_unloaded)
        return;
    applyPhase(rules::Phase::Settling);
    const rules::Settlement result = rules::EvaluateSettlement(m_state);
    // The win is the player's once the hand is evaluated: it is credited before
    // the result box, so an unload while the box is open saves it. The label
    // still changes only after the box, as the player reads the result first.
    rules::CreditWin(m_state, result.win);
    if (m_state.ShowMessages) {
        // The player outlives the window, which the box may see destroyed.
        SoundPlayer& player = sound();
        PlayResourceSound(player, QString::fromUtf8(result.sound));
        const bool open = ShowBox(QString::fromStdString(result.comment) +
                                      QStringLiteral("\r\nYou get $%1").arg(result.win),
                                  BoxStyle::Exclamation, QStringLiteral("+$%1").arg(result.win));
        StopSound(player);
        if (!open)
            return;
    }
    showAccount();
    // Either way the bet buttons come back: the next phase's rule turns them on.
    if (m_state.Account <= 0) {
        EndGame();
        return;
    }
    applyPhase(rules::Phase::Betting);
}

void frmQuintara::Deal()
{
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
    applyPhase(rules::Phase::Drawing);
    rules::DealNext(m_state, random(), [this] {
        showCards();
        return Pause();
    });
}

void frmQuintara::EndGame()
{
    applyPhase(rules::Phase::GameOver);
    PlayResourceSound(sound(), QString::fromUtf8(hands::kFarewellSound));
    if (!ShowBox(QStringLiteral("You have lost everything, Sorry"), BoxStyle::Information,
                 QStringLiteral("Bye-bye !")))
        return;
    close();
}
