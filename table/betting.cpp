#include "main_window.h"

#include <QLabel>
#include <QLocale>
#include <QPointer>

void frmQuintara::cmdBet_Click()
{
    if (!m_state.Ready)
        return;
    const qint32 maximum = table::BetBoxMaximum(m_state);
    const QString prompt = QStringLiteral("Enter an amount of money to bet (0 - %1)").arg(maximum);
    const QString defaultText = QString::number(table::BetBoxDefault(m_state));

    QPointer<frmQuintara> self(this);
    const QString reply = host().inputBox(prompt, QStringLiteral("Bet ?"), defaultText);
    if (!self || m_unloaded)
        return;
    const std::optional<qint32> amount = table::ParseBetReply(reply, QLocale::system());
    if (!amount)
        return;
    m_state.Bet = *amount;
    table::ClampEnteredBet(m_state);
    lblBet->setText(AmountText(m_state.Bet));
}

void frmQuintara::cmdBetDown_Click()
{
    if (!m_state.Ready)
        return;
    for (int beeps = table::StepBetDown(m_state); beeps > 0; --beeps)
        host().beep();
    lblBet->setText(AmountText(m_state.Bet));
}

void frmQuintara::cmdBetUp_Click()
{
    if (!m_state.Ready)
        return;
    for (int beeps = table::StepBetUp(m_state); beeps > 0; --beeps)
        host().beep();
    lblBet->setText(AmountText(m_state.Bet));
}
