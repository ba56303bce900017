// The real host: what the pause lets through while it waits, where boxes open.
// How long the pause waits and what it costs are measured by bench/bench_qt_host.cpp.

#include "main_window.h"
#include "qt_host.h"
#include "table_doubles.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Runs check on the box that opens next, then closes it.
template <typename Check> void OnNextBox(Check check)
{
    QTimer::singleShot(0, [check] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        check(*box);
        box->accept();
    });
}

} // namespace

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

    void boxPlaceBesideOwner_data()
    {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QPoint>("expected");
        const QSize box(200, 100);
        // Screen 0,0 800x600; gap 8.
        QTest::newRow("room below") << QRect(100, 100, 400, 300) << box << QPoint(200, 408);
        QTest::newRow("exactly room below") << QRect(100, 100, 400, 392) << box << QPoint(200, 500);
        QTest::newRow("above") << QRect(100, 150, 400, 400) << box << QPoint(200, 42);
        QTest::newRow("neither, more room below")
            << QRect(100, 50, 400, 450) << box << QPoint(200, 500);
        QTest::newRow("neither, more room above")
            << QRect(100, 90, 400, 500) << box << QPoint(200, 0);
        QTest::newRow("owner at the left edge")
            << QRect(-150, 0, 200, 100) << box << QPoint(0, 108);
        QTest::newRow("owner at the right edge")
            << QRect(700, 0, 200, 100) << box << QPoint(600, 108);
        QTest::newRow("box wider than the screen")
            << QRect(100, 0, 400, 100) << QSize(900, 100) << QPoint(0, 108);
    }
    void boxPlaceBesideOwner()
    {
        QFETCH(QRect, owner);
        QFETCH(QSize, box);
        QFETCH(QPoint, expected);
        QCOMPARE(BoxPlaceBesideOwner(owner, box, QRect(0, 0, 800, 600)), expected);
    }

    // The result, refusal and farewell boxes leave every card place in sight,
    // wherever the window stands on the screen.
    void ownedBoxLeavesTheCardsInSight_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("centred") << "centred";
        QTest::newRow("at the bottom") << "bottom";
        QTest::newRow("at the top") << "top";
    }
    void ownedBoxLeavesTheCardsInSight()
    {
        QFETCH(QString, where);
        QtHost realHost;
        Table t(100, &realHost);
        realHost.setOwner(&t.window);
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        const QRect screen = t.window.screen()->availableGeometry();
        QRect frame = t.window.frameGeometry();
        if (where == QLatin1String("bottom"))
            frame.moveBottom(screen.bottom());
        else if (where == QLatin1String("top"))
            frame.moveTop(screen.top());
        t.window.move(frame.topLeft());
        QTRY_COMPARE(t.window.frameGeometry().topLeft(), frame.topLeft());

        bool checked = false;
        OnNextBox([&](QMessageBox& box) {
            const QRect placed = box.frameGeometry();
            QVERIFY2(screen.contains(placed), qPrintable(where));
            QVERIFY(box.isModal());
            QCOMPARE(box.parentWidget(), &t.window);
            for (int i = 0; i < 5; ++i) {
                const QWidget* card = t.ui.Card[i];
                const QRect place(card->mapToGlobal(QPoint(0, 0)), card->size());
                QVERIFY2(!placed.intersects(place), qPrintable(QStringLiteral("card %1").arg(i)));
            }
            checked = true;
        });
        realHost.messageBox(QStringLiteral("Three of a kind !\r\nYou get $30"),
                            BoxStyle::Exclamation, QStringLiteral("+$20"));
        QVERIFY(checked);
    }

    // Qt would wrap a line wider than half the screen; the welcome's last line
    // must stay whole.
    void boxKeepsEachLineWhole()
    {
        const QStringList lines{
            QStringLiteral("Welcome to Quintara !"),
            QStringLiteral("You start your game with $100."), QStringLiteral("Good Luck !"),
            QString(),
            QStringLiteral(
                "P.S.: Who reaches $1 000 000 gets a chewing gum ! (Just show it to me).")};
        QtHost host;
        bool checked = false;
        OnNextBox([&](QMessageBox& box) {
            auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            const QFontMetrics metrics(label->font());
            QVERIFY(metrics.horizontalAdvance(lines.last()) > box.screen()->size().width() / 2);
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= label->contentsRect().width(),
                         qPrintable(line));
            QVERIFY(box.screen()->availableGeometry().contains(box.frameGeometry()));
            checked = true;
        });
        host.messageBox(lines.join(QStringLiteral("\r\n")), BoxStyle::Exclamation,
                        QStringLiteral("Welcome !"));
        QVERIFY(checked);
    }

    // Box after box shows the same pictures: a fresh icon per box would fill
    // Qt's pixmap cache by a few kB a hand over a long session.
    void boxesReuseTheirIcons()
    {
        QtHost host;
        QList<qint64> keys;
        for (int i = 0; i < 3; ++i) {
            OnNextBox([&](QMessageBox& box) {
                keys << box.iconPixmap().cacheKey()
                     << box.button(QMessageBox::Ok)->icon().cacheKey();
            });
            host.messageBox(QStringLiteral("Looser !"), BoxStyle::Exclamation,
                            QStringLiteral("Result"));
        }
        QCOMPARE(keys.size(), 6);
        QCOMPARE(keys.mid(2), (keys.mid(0, 2) + keys.mid(0, 2)));
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
        WritableState(t.window).Bet = 10;
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
            QVERIFY(t.window.phase() == rules::Phase::Holding);
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
