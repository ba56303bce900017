#include "frm_info.h"
#include "main_window.h"
#include "startup.h"
#include "table_doubles.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// A player with $3500 and the default back, started from the store.
struct StartedTable
{
    MemoryStore store;
    Table t{Table::Unstarted{3}};
    frmQuintara& window = t.window;
    FakeHost& host = t.host;
    FakeSound& sound = t.sound;
    TableControls& ui = t.ui;

    StartedTable()
    {
        store.values = {{"Score", "3500"}, {"CardDeck", "63"}};
        Form_Load(window, store);
    }
};

// What the pay table window showed, read while it was open.
struct InfoSeen
{
    QString title;
    QString combs;
    QString price;
    QSize size;
    int okLeft = -1;
    int okWidth = 0;
    QSize picture;
    bool hasIcon = false;
    bool modal = false;
    QWidget* owner = nullptr;
    QPoint centre;
};

} // namespace

class TestMenuCommands : public QObject
{
    Q_OBJECT

  private slots:
    void about();
    void messagesTwice_data();
    void messagesTwice();
    void resetScore();
    void payTableWindow_data();
    void payTableWindow();
};

void TestMenuCommands::about()
{
    StartedTable table;
    const rules::GameState before = table.window.state();
    table.ui.mnuAbout->trigger();
    QCOMPARE(table.host.boxes.size(), size_t(1));
    const Box& box = table.host.boxes[0];
    QCOMPARE(box.title, QStringLiteral("About Quintara"));
    QCOMPARE(box.style, BoxStyle::Information);
    const QStringList lines = box.prompt.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("Quintara V1.017"));
    QVERIFY(!lines[1].isEmpty());
    QCOMPARE(box.prompt.count(QLatin1Char('\n')), 1); // no bare line feeds
    QCOMPARE(table.window.state().Account, before.Account);
    QCOMPARE(table.sound.calls, QStringList{});
}

void TestMenuCommands::messagesTwice_data()
{
    QTest::addColumn<bool>("throughMenu");
    // Through the menu Qt flips the checkable action before the handler runs.
    QTest::newRow("menu item") << true;
    QTest::newRow("handler") << false;
}

void TestMenuCommands::messagesTwice()
{
    QFETCH(bool, throughMenu);
    StartedTable table;
    auto use = [&] {
        if (throughMenu)
            table.ui.mnuMessages->trigger();
        else
            table.window.mnuMessages_Click();
    };
    QVERIFY(table.window.state().ShowMessages);
    QVERIFY(table.ui.mnuMessages->isChecked());
    use();
    QVERIFY(!table.window.state().ShowMessages);
    QVERIFY(!table.ui.mnuMessages->isChecked());
    use();
    QVERIFY(table.window.state().ShowMessages);
    QVERIFY(table.ui.mnuMessages->isChecked());
    QCOMPARE(table.host.boxes.size(), size_t(0));
    QCOMPARE(table.sound.calls, QStringList{});
}

void TestMenuCommands::resetScore()
{
    StartedTable table;
    rules::GameState& state = WritableState(table.window);
    QCOMPARE(state.Account, 3500);
    state.Bet = 50;
    table.ui.lblBet->setText(frmQuintara::AmountText(50));
    const cards::CardString deck = state.Deck;

    table.ui.mnuReset->trigger();
    QCOMPARE(state.Account, 100);
    QCOMPARE(table.ui.lblAccount->text(), QStringLiteral("$ 100"));
    QCOMPARE(state.Bet, 50);
    QCOMPARE(table.ui.lblBet->text(), QStringLiteral("$ 50"));
    QVERIFY(state.Deck == deck);
    QCOMPARE(table.host.boxes.size(), size_t(0));
    QCOMPARE(table.sound.calls, QStringList{});
}

void TestMenuCommands::payTableWindow_data()
{
    QTest::addColumn<int>("bet");
    QTest::addColumn<QString>("closeBy");
    QTest::newRow("bet 0, OK") << 0 << "ok";
    QTest::newRow("bet 10, Escape") << 10 << "escape";
    QTest::newRow("bet 100000, close box") << 100000 << "close";
}

void TestMenuCommands::payTableWindow()
{
    QFETCH(int, bet);
    QFETCH(QString, closeBy);

    StartedTable table;
    table.window.move(200, 150);
    table.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table.window));
    WritableState(table.window).Bet = bet;
    const rules::GameState before = table.window.state();
    const QString combs = QStringLiteral(
        "2 of a kind (Jacks or better)\r\nTwo Pairs\r\n3 of a kind\r\nStraight\r\nSuit\r\n"
        "Full House\r\nCaret\r\nFlush\r\nRoyal Flush");
    const QString price = QStringLiteral("1\r\n2\r\n3\r\n5\r\n7\r\n10\r\n50\r\n100\r\n500");

    for (int opening = 0; opening < 2; ++opening) {
        InfoSeen seen;
        bool closed = false;
        QTimer::singleShot(0, [&] {
            auto* info = qobject_cast<frmInfo*>(QApplication::activeModalWidget());
            QVERIFY(info);
            const auto* lblCombs = info->findChild<QLabel*>(QStringLiteral("lblCombs"));
            const auto* lblPrice = info->findChild<QLabel*>(QStringLiteral("lblPrice"));
            const auto* image = info->findChild<QLabel*>(QStringLiteral("Image1"));
            auto* cmdOK = info->findChild<QPushButton*>(QStringLiteral("cmdOK"));
            QVERIFY(lblCombs && lblPrice && image && cmdOK);
            seen = {info->windowTitle(),
                    lblCombs->text(),
                    lblPrice->text(),
                    info->size(),
                    cmdOK->x(),
                    cmdOK->width(),
                    image->pixmap().size(),
                    !info->windowIcon().isNull(),
                    info->isModal(),
                    info->parentWidget(),
                    info->geometry().center()};
            // While it is open the table's windows are blocked.
            QVERIFY(QApplication::activeModalWidget() == info);
            if (closeBy == QLatin1String("ok"))
                QTest::mouseClick(cmdOK, Qt::LeftButton);
            else if (closeBy == QLatin1String("escape"))
                QTest::keyClick(info, Qt::Key_Escape);
            else
                info->close();
            closed = true;
        });
        table.ui.mnuInfo->trigger();
        QVERIFY(closed);

        QCOMPARE(seen.title, QStringLiteral("Quintara Information"));
        QCOMPARE(seen.combs, combs);
        QCOMPARE(seen.price, price);
        QCOMPARE(seen.size, QSize(338, 173)); // 5064 x 2592 twips
        QCOMPARE(seen.okLeft, (seen.size.width() - seen.okWidth) / 2);
        QCOMPARE(seen.picture, QSize(32, 32));
        QVERIFY(seen.hasIcon);
        QVERIFY(seen.modal);
        QCOMPARE(seen.owner, &table.window);
        const QPoint offCentre = seen.centre - table.window.geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        // Destroyed, not hidden: nothing of it is left for the next opening.
        QCOMPARE(table.window.findChildren<frmInfo*>().size(), 0);
    }
    const rules::GameState& after = table.window.state();
    QCOMPARE(after.Account, before.Account);
    QCOMPARE(after.Bet, before.Bet);
    QVERIFY(after.Deck == before.Deck);
    QCOMPARE(after.ShowMessages, before.ShowMessages);
}

QTEST_MAIN(TestMenuCommands)
#include "test_menu_commands.moc"
