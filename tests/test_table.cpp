// The table window's design and the game logic that needs no window.

#include "card_view.h"
#include "game_state.h"
#include "main_window.h"
#include "table_doubles.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <limits>

using rules::ParseBetReply;

namespace {

constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

QRect Twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

class TestTable : public QObject
{
    Q_OBJECT

  private slots:
    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        // The whole client area (6384 x 3276 twips), not one pixel short of it.
        QTest::newRow("field") << "picField" << QRect(0, 0, 426, 218);
        for (int i = 0; i < 5; ++i) {
            QTest::addRow("card %d", i)
                << QString("Card_%1").arg(i) << Twips(240 + 1200 * i, 120, 1095, 1455);
            QTest::addRow("hold %d", i)
                << QString("cmdHold_%1").arg(i) << Twips(240 + 1200 * i, 1680, 1095, 375);
        }
        QTest::newRow("deal") << "cmdDeal" << Twips(240, 2160, 1095, 375);
        QTest::newRow("up") << "cmdBetUp" << Twips(1440, 2160, 855, 375);
        QTest::newRow("down") << "cmdBetDown" << Twips(2400, 2160, 855, 375);
        QTest::newRow("bet") << "cmdBet" << Twips(3360, 2160, 855, 375);
        QTest::newRow("account caption") << "Label2" << Twips(2880, 2640, 1335, 375);
        QTest::newRow("account") << "lblAccount" << Twips(4320, 2640, 1815, 375);
        QTest::newRow("bet label") << "lblBet" << Twips(4320, 2160, 1815, 375);
    }
    void geometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        Table t;
        t.window.show();
        auto* widget = t.window.findChild<QWidget*>(name);
        QVERIFY(widget);
        if (name != "picField")
            QCOMPARE(widget->parentWidget(), t.ui.picField);
        QCOMPARE(widget->geometry(), rect);
    }

    void windowIsFixed()
    {
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        const QWidget* client = t.window.centralWidget();
        QCOMPARE(client->size(), QSize(426, 218)); // 6384 x 3276 twips
        QCOMPARE(client->mapTo(&t.window, QPoint(0, 0)).y(), t.window.menuBar()->height());
        QCOMPARE(t.window.minimumSize(), t.window.maximumSize());
        QCOMPARE(t.window.size(), QSize(426, 218 + t.window.menuBar()->height()));
        QVERIFY(!(t.window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(t.window.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(t.window.windowTitle(), QString("Quintara"));
        const QPoint offCentre =
            t.window.geometry().center() - t.window.screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() < 40,
                 qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void designTimeState()
    {
        Table t;
        t.window.show();
        for (CardView* card : t.ui.Card) {
            QVERIFY(!card->isVisible());
            // Never a tab stop; a click may give it the focus, which goes on to Deal.
            QVERIFY(!(card->focusPolicy() & Qt::TabFocus));
        }
        QCOMPARE(t.ui.lblBet->text(), QString("$ 0"));
        QCOMPARE(t.ui.cmdDeal->text(), QString("&Deal"));
        QCOMPARE(t.ui.cmdBetUp->text(), QString("&Up"));
        QCOMPARE(t.ui.cmdBetDown->text(), QString("Do&wn"));
        QCOMPARE(t.ui.cmdBet->text(), QString("<- &Bet ->"));
        QCOMPARE(t.ui.Label2->text(), QString("Account:"));
        QVERIFY(t.ui.Label2->alignment() & Qt::AlignRight);
        QCOMPARE(t.ui.lblAccount->alignment(), Qt::AlignCenter);

        const QFont bet = t.ui.cmdBet->font();
        QCOMPARE(bet.family(), QString("Arial"));
        QCOMPARE(bet.pointSizeF(), 9.0);
        QVERIFY(bet.bold());
        for (QLabel* amount : {t.ui.lblAccount, t.ui.lblBet}) {
            QCOMPARE(amount->font().pointSizeF(), 14.4);
            QVERIFY(amount->font().bold() && amount->font().underline());
            QCOMPARE(amount->frameShape(), QFrame::Box);
        }
        QVERIFY(!t.ui.Label2->font().bold());

        auto colourAt = [](QWidget* w, QPoint p) { return w->grab().toImage().pixelColor(p); };
        QCOMPARE(colourAt(t.ui.picField, {2, 2}), QColor(0, 128, 0));
        QCOMPARE(colourAt(t.window.centralWidget(), {425, 217}), QColor(0, 128, 0));
        QCOMPARE(t.ui.lblAccount->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(t.ui.lblAccount->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(colourAt(t.ui.lblAccount, {5, 5}), QColor(Qt::black));

        for (int i = 0; i < 5; ++i) {
            QCOMPARE(t.ui.cmdHold[i]->accessibleName(), QString("Turn card %1").arg(i + 1));
            QVERIFY(!t.ui.cmdHold[i]->icon().isNull());
        }
    }

    void menuTree()
    {
        Table t;
        QMenuBar* bar = t.window.menuBar();
        QCOMPARE(bar->actions().size(), 2);
        QCOMPARE(bar->actions()[0]->text(), QString("&Options"));
        QCOMPARE(bar->actions()[1]->text(), QString("&Help"));

        QStringList options;
        for (QAction* a : t.ui.mnuOptions->actions())
            options << (a->isSeparator() ? "-" : a->text() + "|" + a->shortcut().toString());
        QCOMPARE(options, QStringList({"&Card Deck|", "&Reset Score|Ctrl+R", "&Messages|Ctrl+M",
                                       "-", "&Quit|Ctrl+Q"}));
        QCOMPARE(t.ui.mnuOptions->actions()[0]->menu(), t.ui.mnuCardDeck);
        QVERIFY(t.ui.mnuMessages->isChecked());

        QStringList help;
        for (QAction* a : t.ui.mnuHelp->actions())
            help << a->text() + "|" + a->shortcut().toString();
        QCOMPARE(help, QStringList({"&Info|Ctrl+I", "&About|F1"}));

        const QStringList backs = {"&Pattern 1",   "Pa&ttern 2",  "&Robot",    "R&ose",
                                   "&Green Vines", "Blue &Vines", "&4 Fishes", "&3 Fishes",
                                   "Se&ashell",    "&Castle",     "&Beach",    "&Sleeve",
                                   "Spac&e",       "Pea&ks",      "Rainbo&w"};
        const QList<QAction*> items = t.ui.mnuCardDeck->actions();
        QCOMPARE(items.size(), 15);
        for (int i = 0; i < 15; ++i) {
            QCOMPARE(items[i]->text(), backs[i]);
            QCOMPARE(items[i], t.ui.mnuCD[54 + i]);
            QVERIFY(items[i]->isCheckable());
        }
    }

    // Each shortcut reaches its command from anywhere in the window, menus closed.
    void shortcuts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("reset") << "mnuReset" << QKeySequence("Ctrl+R");
        QTest::newRow("messages") << "mnuMessages" << QKeySequence("Ctrl+M");
        QTest::newRow("quit") << "mnuQuit" << QKeySequence("Ctrl+Q");
        QTest::newRow("info") << "mnuInfo" << QKeySequence("Ctrl+I");
        QTest::newRow("about") << "mnuAbout" << QKeySequence("F1");
    }
    void shortcuts()
    {
        QFETCH(QString, action);
        QFETCH(QKeySequence, keys);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        auto* item = t.window.findChild<QAction*>(action);
        QVERIFY(item);
        // Only the wiring is under test here, not what the commands do.
        QObject::disconnect(item, &QAction::triggered, &t.window, nullptr);
        QSignalSpy triggered(item, &QAction::triggered);
        t.ui.cmdBet->setFocus();
        QTest::keySequence(&t.window, keys);
        QCOMPARE(triggered.size(), 1);
        QVERIFY(!t.ui.mnuOptions->isVisible() && !t.ui.mnuHelp->isVisible());
    }

    void designHasNoCheckedBack()
    {
        Table t(Table::Unstarted{0});
        for (auto& [code, item] : t.ui.mnuCD)
            QVERIFY2(!item->isChecked(), qPrintable(QString::number(code)));
    }

    void tabOrder_data()
    {
        QTest::addColumn<bool>("holding");
        QTest::addColumn<QStringList>("chain");
        const QStringList betting = {"cmdDeal", "cmdBetUp", "cmdBetDown",
                                     "cmdBet",  "picField", "cmdDeal"};
        QTest::newRow("betting: hold buttons skipped") << false << betting;
        QTest::newRow("holding: bet buttons skipped")
            << true
            << QStringList({"cmdDeal", "cmdHold_0", "cmdHold_1", "cmdHold_2", "cmdHold_3",
                            "cmdHold_4", "picField", "cmdDeal"});
    }
    void tabOrder()
    {
        QFETCH(bool, holding);
        QFETCH(QStringList, chain);
        Table t;
        for (int i = 0; i < 5; ++i)
            t.ui.Card[i]->show();
        if (holding) {
            for (auto* hold : t.ui.cmdHold)
                hold->setEnabled(true);
            for (auto* b : {t.ui.cmdBet, t.ui.cmdBetUp, t.ui.cmdBetDown})
                b->setEnabled(false);
        }
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        t.ui.cmdDeal->setFocus();
        QStringList seen = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, chain);
    }

    // --- game logic without a window --------------------------------------

    void betReply_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("amount");
        QTest::newRow("plain") << "en_US"
                               << "250" << true << 250;
        QTest::newRow("negative") << "en_US"
                                  << "-20" << true << -20;
        QTest::newRow("half down to even") << "en_US"
                                           << "12.5" << true << 12;
        QTest::newRow("half up to even") << "en_US"
                                         << "13.5" << true << 14;
        QTest::newRow("above half") << "en_US"
                                    << "12.51" << true << 13;
        QTest::newRow("negative half") << "en_US"
                                       << "-2.5" << true << -2;
        QTest::newRow("group separator") << "en_US"
                                         << "1,000" << true << 1000;
        QTest::newRow("exponent") << "en_US"
                                  << "1e3" << true << 1000;
        QTest::newRow("largest") << "en_US"
                                 << "2147483647" << true << kMax32;
        QTest::newRow("smallest") << "en_US"
                                  << "-2147483648" << true << std::numeric_limits<qint32>::min();
        QTest::newRow("one too large") << "en_US"
                                       << "2147483648" << false << 0;
        QTest::newRow("rounds past the top") << "en_US"
                                             << "2147483647.5" << false << 0;
        QTest::newRow("one too small") << "en_US"
                                       << "-2147483649" << false << 0;
        QTest::newRow("huge") << "en_US"
                              << "1e300" << false << 0;
        QTest::newRow("empty (Cancel)") << "en_US"
                                        << "" << false << 0;
        QTest::newRow("letters") << "en_US"
                                 << "ten" << false << 0;
        QTest::newRow("digits then letters") << "en_US"
                                             << "10x" << false << 0;
        QTest::newRow("infinity") << "en_US"
                                  << "inf" << false << 0;
        QTest::newRow("not a number") << "en_US"
                                      << "nan" << false << 0;
        QTest::newRow("German decimal comma") << "de_DE"
                                              << "12,5" << true << 12;
        QTest::newRow("German half to even") << "de_DE"
                                             << "13,5" << true << 14;
        QTest::newRow("German thousands") << "de_DE"
                                          << "1.000" << true << 1000;
        QTest::newRow("German, C-locale fallback") << "de_DE"
                                                   << "13.5" << true << 14;
        QTest::newRow("French spaces") << "fr_FR" << QString("1\u202f000") << true << 1000;
    }
    void betReply()
    {
        QFETCH(QString, locale);
        QFETCH(QString, reply);
        QFETCH(bool, accepted);
        QFETCH(int, amount);
        const std::optional<qint32> result = ParseBetReply(reply, QLocale(locale));
        QCOMPARE(result.has_value(), accepted);
        if (accepted)
            QCOMPARE(*result, amount);
    }

    void betBox_data()
    {
        QTest::addColumn<int>("account");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("suggested");
        QTest::newRow("100") << 100 << 100 << 50;
        QTest::newRow("odd account rounds down") << 101 << 101 << 50;
        QTest::newRow("at the cap") << 100000 << 100000 << 50000;
        QTest::newRow("above the cap") << 150000 << 100000 << 50000;
        QTest::newRow("one") << 1 << 1 << 0;
    }
    void betBox()
    {
        QFETCH(int, account);
        QFETCH(int, maximum);
        QFETCH(int, suggested);
        rules::GameState s;
        s.Account = account;
        QCOMPARE(rules::BetBoxMaximum(s), maximum);
        QCOMPARE(rules::BetBoxDefault(s), suggested);
    }

    void credit_data()
    {
        QTest::addColumn<int>("account");
        QTest::addColumn<int>("bet");
        QTest::addColumn<QString>("hand");
        QTest::addColumn<int>("multiplier");
        QTest::addColumn<int>("win");
        QTest::addColumn<int>("after");
        QTest::newRow("loss") << 70 << 30 << "2c 5d 9h Js Kc" << 0 << 0 << 70;
        QTest::newRow("money back") << 70 << 30 << "Jc Jd 9h 4s 2c" << 1 << 30 << 100;
        QTest::newRow("largest win")
            << 0 << 100000 << "Ts Js Qs Ks As" << 500 << 50000000 << 50000000;
        QTest::newRow("lands on the top")
            << kMax32 - 500 << 1 << "Ts Js Qs Ks As" << 500 << 500 << kMax32;
        QTest::newRow("would pass the top")
            << kMax32 - 10 << 100000 << "Ts Js Qs Ks As" << 500 << 50000000 << kMax32;
        QTest::newRow("bet times multiplier overflows")
            << 0 << 10000000 << "Ts Js Qs Ks As" << 500 << kMax32 << kMax32;
    }
    void credit()
    {
        QFETCH(int, account);
        QFETCH(int, bet);
        QFETCH(QString, hand);
        QFETCH(int, multiplier);
        QFETCH(int, win);
        QFETCH(int, after);
        rules::GameState s;
        s.Account = account;
        s.Bet = bet;
        s.Hand = *cards::ParseCards(hand.toStdString());
        const rules::Settlement result = rules::EvaluateSettlement(s);
        QCOMPARE(result.multiplier, multiplier);
        QVERIFY(!result.comment.empty());
        QCOMPARE(result.win, win);
        rules::CreditWin(s, result.win);
        QCOMPARE(s.Account, after);
    }

    void drawIntoHand_data()
    {
        QTest::addColumn<int>("deckSize");
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("renewed");
        QTest::newRow("ten cards: no renewal") << 10 << false << false;
        QTest::newRow("nine cards: fresh deck first") << 9 << false << true;
        QTest::newRow("replacing, nine cards") << 9 << true << true;
        QTest::newRow("replacing, full deck") << 52 << true << false;
    }
    void drawIntoHand()
    {
        QFETCH(int, deckSize);
        QFETCH(bool, change);
        QFETCH(bool, renewed);
        ScriptedRandom random; // zeros: a fresh deck stays 1..52
        rules::GameState s;
        for (int i = 0; i < deckSize; ++i)
            s.Deck.push_back(52 - i); // 52, 51, ... so a renewal shows
        s.Hand = change ? cards::CardString{20, 21, 22, 23, 24} : cards::CardString{20, 21};
        s.NextCard = 2;
        const rules::DrawnCard drawn = rules::DrawIntoHand(s, random, change);
        const int expected = renewed ? 1 : 52;
        QCOMPARE(drawn.card, expected);
        QCOMPARE(drawn.place, 2);
        QCOMPARE(s.NextCard, 3);
        QCOMPARE(static_cast<int>(s.Deck.size()), (renewed ? 52 : deckSize) - 1);
        const cards::CardString hand = change ? cards::CardString{20, 21, expected, 23, 24}
                                              : cards::CardString{20, 21, expected};
        QVERIFY(s.Hand == hand);
    }

    // Every choice of face-down places, drawn without a window, with the back
    // changed before the draw or not: the face-down places take the deck's
    // next cards left to right, one pause each; the others keep their cards.
    void drawWithoutWidgets_data()
    {
        QTest::addColumn<int>("faceDown"); // bit i: place i
        QTest::addColumn<int>("back");     // 0: none chosen
        for (int mask = 0; mask < 32; ++mask)
            for (int back : {0, 55, 53})
                QTest::addRow("places %02x, back %d", mask, back) << mask << back;
    }
    void drawWithoutWidgets()
    {
        QFETCH(int, faceDown);
        QFETCH(int, back);
        ScriptedRandom random;
        rules::GameState s;
        s.CardBack = 63;
        s.Hand = {40, 41, 42, 43, 44};
        std::copy(s.Hand.begin(), s.Hand.end(), s.Shown.begin());
        for (int card = 1; card <= 20; ++card)
            s.Deck.push_back(card);
        for (int i = 0; i < 5; ++i) {
            rules::ToggleHold(s, i);
            if (!(faceDown & (1 << i)))
                rules::ToggleHold(s, i); // and face up again
        }
        const int inUse = cards::IsBackCode(back) ? back : 63;
        QCOMPARE(back == 0 || rules::ChangeBack(s, back), back != 53);
        QCOMPARE(s.CardBack, inUse);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(s.Shown[i], faceDown & (1 << i) ? inUse : 40 + i);
        int pauses = 0;
        rules::DealNext(s, random, [&] { return ++pauses > 0; });
        int next = 1;
        for (int i = 0; i < 5; ++i) {
            const int expected = faceDown & (1 << i) ? next++ : 40 + i;
            QCOMPARE(s.Hand[i], expected);
            QCOMPARE(s.Shown[i], expected);
        }
        QCOMPARE(pauses, next - 1);
        QCOMPARE(static_cast<int>(s.Deck.size()), 20 - pauses);
    }

    // The test's own deck stacking must be right for the hand tests to mean anything.
    void stackedDeck()
    {
        ScriptedRandom random;
        const cards::CardString top = {49, 50, 51, 52, 40, 7, 1, 13, 26, 39};
        random.stackDeck(top);
        cards::CardString deck;
        cards::NewDeck(deck, random);
        cards::ShuffleDeck(deck, random);
        QVERIFY(random.values.empty());
        QVERIFY(std::equal(top.begin(), top.end(), deck.begin()));
    }
};

QTEST_MAIN(TestTable)
#include "test_table.moc"
