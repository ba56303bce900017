#include "main_window.h"

#include <QLocale>
#include <QPointer>

void frmQuintara::cmdBet_Click()
{
    if (!m_state.Ready)
        return;
    const qint32 maximum = rules::BetBoxMaximum(m_state);
    const QString prompt = QStringLiteral("Enter an amount of money to bet (0 - %1)").arg(maximum);
    const QString defaultText = QString::number(rules::BetBoxDefault(m_state));

    QPointer<frmQuintara> self(this);
    const QString reply = host().inputBox(prompt, QStringLiteral("Bet ?"), defaultText);
    if (!self || m_unloaded)
        return;
    const std::optional<qint32> amount = rules::ParseBetReply(reply, QLocale::system());
    if (!amount)
        return;
    m_state.Bet = *amount;
    rules::ClampEnteredBet(m_state);
    showBet();
}

void frmQuintara::stepBet(int (*step)(rules::GameState&))
{
    if (!m_state.Ready)
        return;
    for (int beeps = step(m_state); beeps > 0; --beeps)
        host().beep();
    showBet();
}

void frmQuintara::cmdBetDown_Click()
{
    stepBet(rules::StepBetDown);
}

void frmQuintara::cmdBetUp_Click()
{
    stepBet(rules::StepBetUp);
}
