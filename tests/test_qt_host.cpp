// The real pause: what it lets through while it waits. How long it waits and
// what it costs are measured by bench/bench_qt_host.cpp.

#include "main_window.h"
#include "qt_host.h"
#include "table_doubles.h"

#include <QSignalSpy>
#include <QtTest>

class TestQtHost : public QObject
{
    Q_OBJECT

  private slots:
    void pauseKeepsTheWindowAnswering()
    {
        QtHost host;
        bool answered = false;
        QTimer::singleShot(50, [&] { answered = true; });
        host.pause();
        QVERIFY(answered);
    }

    // A deal with the real host, played out or closed in the middle of its
    // second pause.
    void realDeal_data()
    {
        QTest::addColumn<bool>("closeIt");
        QTest::newRow("played out") << false;
        QTest::newRow("closed in a pause") << true;
    }
    void realDeal()
    {
        QFETCH(bool, closeIt);
        QtHost realHost;
        Table t(100, &realHost);
        realHost.setOwner(&t.window);
        t.window.state().Bet = 10;
        t.window.show();
        QSignalSpy unloads(&t.window, &frmQuintara::queryUnload);
        bool closed = false;
        if (closeIt) {
            QTimer::singleShot(400, &t.window, [&] {
                closed = true;
                t.window.close();
            });
        }
        t.window.cmdDeal_Click();
        QCOMPARE(t.window.state().Account, 90);
        if (!closeIt) {
            QVERIFY(t.window.phase() == Phase::Holding);
            return;
        }
        QVERIFY(closed);
        QCOMPARE(unloads.size(), 1);
        QVERIFY(!t.window.state().Ready);
        QVERIFY(!t.ui.cmdHold[0]->isEnabled());
    }
};

QTEST_MAIN(TestQtHost)
#include "test_qt_host.moc"
