// The real pause: how long it waits, what it lets through, what it costs.

#include "card_view.h"
#include "main_window.h"
#include "qt_host.h"
#include "table_doubles.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>
#include <ctime>

namespace {

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct RealTable
{
    QStringList events;
    QtHost host;
    FakeSound sound{events};
    ScriptedRandom random;
    frmQuintara window{{host, sound, random}};

    RealTable()
    {
        host.setOwner(&window);
        GameState& s = window.state();
        s.Ready = true;
        s.Account = 100;
        s.Bet = 10;
        s.CardBack = cards::kDefaultBack;
        for (auto* hold : window.cmdHold)
            hold->setEnabled(false);
        window.show();
    }
};

} // namespace

class TestQtHost : public QObject
{
    Q_OBJECT

  private slots:
    void pauseWaitsAndKeepsTheWindowAnswering()
    {
        QtHost host;
        bool answered = false;
        QTimer::singleShot(50, [&] { answered = true; });
        QElapsedTimer clock;
        clock.start();
        host.pause();
        const qint64 ms = clock.elapsed();
        QVERIFY(answered);
        QVERIFY2(ms >= 299 && ms < 1000, qPrintable(QString::number(ms)));
    }

    void pauseEndsWhenItsWindowGoes_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("closed") << false;
        QTest::newRow("destroyed") << true;
    }
    void pauseEndsWhenItsWindowGoes()
    {
        QFETCH(bool, destroy);
        QtHost host;
        auto* owner = new QWidget;
        owner->show();
        host.setOwner(owner);
        QTimer::singleShot(30, owner, [owner, destroy] {
            if (destroy)
                delete owner;
            else
                owner->close();
        });
        QElapsedTimer clock;
        clock.start();
        host.pause();
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));

        // A closed window's hand does not wait any more.
        clock.restart();
        host.pause();
        QVERIFY(clock.elapsed() < 100);
        if (!destroy)
            delete owner;
    }

    void minimisingDoesNotEndThePause()
    {
        QtHost host;
        QWidget owner;
        owner.show();
        host.setOwner(&owner);
        QTimer::singleShot(30, &owner, [&] { owner.showMinimized(); });
        QElapsedTimer clock;
        clock.start();
        host.pause();
        QVERIFY(clock.elapsed() >= 299);
    }

    // Four pauses of a deal, with the real host: the waiting must be sleep,
    // not a busy loop.
    void dealCostsLittleCpu()
    {
        RealTable t;
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        QElapsedTimer wall;
        const double cpuBefore = CpuSeconds();
        wall.start();
        t.window.cmdDeal_Click();
        const double seconds = wall.nsecsElapsed() * 1e-9;
        const double cpu = CpuSeconds() - cpuBefore;
        QVERIFY(t.window.phase() == Phase::Holding);
        QVERIFY2(seconds >= 1.19, qPrintable(QString::number(seconds)));
        qInfo("deal: %.3f s wall, %.4f s CPU, %.2f %% of one core", seconds, cpu,
              100.0 * cpu / seconds);
        QVERIFY2(cpu / seconds < 0.05, qPrintable(QString::number(100.0 * cpu / seconds)));
    }

    void closingDuringARealDealEndsIt()
    {
        RealTable t;
        QSignalSpy unloads(&t.window, &frmQuintara::queryUnload);
        QElapsedTimer wall;
        qint64 closedAt = -1;
        // In the middle of the second pause, which would run on to 600 ms.
        QTimer::singleShot(400, &t.window, [&] {
            closedAt = wall.elapsed();
            t.window.close();
        });
        wall.start();
        t.window.cmdDeal_Click();
        const qint64 returnedAt = wall.elapsed();
        qInfo("closed at %lld ms, deal returned at %lld ms", closedAt, returnedAt);
        QVERIFY(closedAt >= 0);
        QVERIFY2(returnedAt - closedAt < 100, qPrintable(QString::number(returnedAt)));
        QCOMPARE(unloads.size(), 1);
        QCOMPARE(t.window.state().Account, 90);
        QVERIFY(!t.window.state().Ready);
        QVERIFY(!t.window.cmdHold[0]->isEnabled());
    }
};

QTEST_MAIN(TestQtHost)
#include "test_qt_host.moc"
