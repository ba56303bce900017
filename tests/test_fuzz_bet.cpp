// The bet box fed every kind of reply: the stake changes only for a number,
// exactly as the betting rules cut it, and nothing else ever happens.
//
// QUINTARA_FUZZ_CASES sets the number of replies, QUINTARA_SEED replays a run.

#include "fuzz_support.h"
#include "main_window.h"
#include "table_doubles.h"

#include <QtTest>
#include <limits>

namespace {

constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

// The stake the rules make of an accepted amount: the cap, the account, then 0.
qint32 Stake(qint64 amount, qint32 account)
{
    if (amount > 100000)
        amount = 100000;
    if (amount > account)
        amount = account;
    if (amount < 0)
        amount = 0;
    return static_cast<qint32>(amount);
}

// One press of the Bet button with `reply` typed; the first broken promise.
QString Press(Table& t, const QString& reply, std::optional<qint64> amount, bool ready)
{
    rules::GameState& s = WritableState(t.window);
    const qint32 account = s.Account;
    const qint32 before = s.Bet;
    const QString label = frmQuintara::AmountText(before);
    t.ui.lblBet->setText(label);
    s.Ready = ready;
    t.host.inputs.clear();
    t.host.replies = {reply};
    t.host.beeps = 0;
    t.host.boxes.clear();
    t.window.cmdBet_Click();

    const qint32 expected = ready && amount ? Stake(*amount, account) : before;
    if (s.Bet != expected)
        return QStringLiteral("Bet %1, expected %2").arg(s.Bet).arg(expected);
    if (t.ui.lblBet->text() != frmQuintara::AmountText(s.Bet))
        return QStringLiteral("lblBet %1 for Bet %2").arg(t.ui.lblBet->text()).arg(s.Bet);
    if (s.Account != account)
        return QStringLiteral("Account changed to %1").arg(s.Account);
    if (t.host.beeps != 0 || !t.host.boxes.empty())
        return QStringLiteral("%1 beeps, %2 boxes").arg(t.host.beeps).arg(t.host.boxes.size());
    if (!ready)
        return t.host.inputs.empty() ? QString() : QStringLiteral("box asked while not Ready");
    if (t.host.inputs.size() != 1)
        return QStringLiteral("%1 input boxes").arg(t.host.inputs.size());
    const qint32 maximum = account < 100000 ? account : 100000;
    const FakeHost::Input& box = t.host.inputs.front();
    if (box.title != QStringLiteral("Bet ?") ||
        box.prompt != QStringLiteral("Enter an amount of money to bet (0 - %1)").arg(maximum) ||
        box.defaultText != QString::number(maximum / 2))
        return QStringLiteral("box %1 / %2 / %3").arg(box.title, box.prompt, box.defaultText);
    return {};
}

qint32 RandomAccount(fuzz::Dice& dice)
{
    switch (dice.below(6)) {
    case 0:
        return static_cast<qint32>(dice.range(1, 300));
    case 1:
        return static_cast<qint32>(dice.range(99990, 100010));
    case 2:
        return static_cast<qint32>(dice.range(kMax32 - 100, kMax32));
    case 3:
        return 0; // the whole account staked, as in Holding
    default:
        return static_cast<qint32>(dice.range(1, kMax32) >> dice.below(31));
    }
}

} // namespace

class TestFuzzBet : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void randomReplies();
    void replies_data();
    void replies();

  private:
    quint64 m_seed = 0;
    int m_cases = 0;
};

void TestFuzzBet::initTestCase()
{
    m_seed = fuzz::Seed();
    m_cases = fuzz::Count("QUINTARA_FUZZ_CASES", 4000);
    qInfo("seed %llu (QUINTARA_SEED replays), %d replies, system locale %s",
          static_cast<unsigned long long>(m_seed), m_cases, qPrintable(QLocale::system().name()));
}

void TestFuzzBet::randomReplies()
{
    fuzz::Dice dice(m_seed);
    const QLocale locale = QLocale::system();
    fuzz::NumberTexts texts(dice, locale);
    Table t;
    for (int i = 0; i < m_cases; ++i) {
        rules::GameState& s = WritableState(t.window);
        s.Account = RandomAccount(dice);
        s.Bet = dice.chance(0.8) ? static_cast<qint32>(dice.range(0, 200000))
                                 : static_cast<qint32>(dice.range(-kMax32, kMax32));
        const bool ready = dice.chance(0.95);
        const fuzz::NumberText reply = texts.next(s.Account / 2, std::max<qint64>(s.Account, 200));
        const std::optional<qint64> amount = reply.expected(locale, 32);
        QString failure;
        if (reply.meaning != fuzz::NumberText::Meaning::AskTheRule &&
            fuzz::RuleWhole(reply.text, locale, 32) != amount)
            failure = QStringLiteral("the test's rule misreads the reply");
        else
            failure = Press(t, reply.text, amount, ready);
        QVERIFY2(failure.isEmpty(),
                 qPrintable(QStringLiteral("seed %1 case %2: reply %3, Account %4, Bet %5: %6")
                                .arg(m_seed)
                                .arg(i)
                                .arg(fuzz::Quoted(reply.text))
                                .arg(s.Account)
                                .arg(s.Bet)
                                .arg(failure)));
    }
}

// Replies that read the same in every locale, at the edges of the rules.
void TestFuzzBet::replies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("account");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("stake"); // when accepted

    QTest::newRow("Cancel") << "" << 100 << false << 0;
    QTest::newRow("blanks only") << "   " << 100 << false << 0;
    QTest::newRow("half down to even") << "2.5e0" << 100 << true << 2;
    QTest::newRow("half up to even") << "35e-1" << 100 << true << 4;
    QTest::newRow("negative half") << "-5e-1" << 100 << true << 0;
    QTest::newRow("exponent") << "1E+2" << 1000 << true << 100;
    QTest::newRow("32-bit top, cut to the cap") << "2147483647" << kMax32 << true << 100000;
    QTest::newRow("32-bit top plus a half rounds out") << "21474836475e-1" << kMax32 << false << 0;
    QTest::newRow("past 32 bits") << "2147483648" << kMax32 << false << 0;
    QTest::newRow("32-bit bottom") << "-2147483648" << 100 << true << 0;
    QTest::newRow("below 32 bits") << "-2147483649" << 100 << false << 0;
    QTest::newRow("overflowing exponent") << "1e400" << 100 << false << 0;
    QTest::newRow("infinity") << "inf" << 100 << false << 0;
    QTest::newRow("not a number") << "nan" << 100 << false << 0;
    // Other scripts' digits count only where the locale writes numbers with them.
    QTest::newRow("Arabic-Indic digits")
        << "\u0662\u0665" << 100 << (QLocale::system().zeroDigit() == QStringLiteral("\u0660"))
        << 25;
    QTest::newRow("full-width digits") << "\uff12\uff15" << 100 << false << 0;
    QTest::newRow("NUL inside") << QString::fromUtf8("2\0"
                                                     "5",
                                                     3)
                                << 100 << false << 0;
    QTest::newRow("leading zeros") << "000000000000000000000000000042" << 100 << true << 42;
    QTest::newRow("whole account staked") << "50" << 0 << true << 0;
}

void TestFuzzBet::replies()
{
    QFETCH(QString, reply);
    QFETCH(int, account);
    QFETCH(bool, accepted);
    QFETCH(int, stake);

    Table t(account);
    WritableState(t.window).Bet = 30;
    const QString failure =
        Press(t, reply, accepted ? std::optional<qint64>(stake) : std::nullopt, true);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(TestFuzzBet)
#include "test_fuzz_bet.moc"
