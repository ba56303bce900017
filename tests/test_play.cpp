// Whole hands at the table window, with the outside world scripted.

#include "card_view.h"
#include "main_window.h"
#include "table_doubles.h"

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>
#include <limits>
#include <optional>

using cards::CardString;

namespace {

constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

CardString Cards(const char* text)
{
    return *cards::ParseCards(text);
}

CardString Shown(const Table& t)
{
    CardString shown;
    for (const CardView* card : t.ui.Card)
        shown.push_back(card->value());
    return shown;
}

QString Text(const CardString& cardsShown)
{
    QStringList parts;
    for (int c : cardsShown)
        parts << (cards::IsCardCode(c) ? QString::fromStdString(cards::CardNotation(c))
                                       : QString("#%1").arg(c));
    return parts.join(' ');
}

// Deals the stacked cards; returns with the table in Holding.
void DealHand(Table& t, qint32 bet, const CardString& top)
{
    WritableState(t.window).Bet = bet;
    t.random.stackDeck(top);
    t.ui.cmdDeal->click();
}

} // namespace

class TestPlay : public QObject
{
    Q_OBJECT

  private slots:
    void zeroBetIsRefused()
    {
        Table t;
        const cards::CardString deckBefore = t.window.state().Deck;
        QCOMPARE(static_cast<int>(deckBefore.size()), cards::kCardCount);
        const int drawsBefore = t.random.draws;
        t.ui.cmdDeal->click();
        QCOMPARE(t.host.boxes.size(), size_t(1));
        QCOMPARE(t.host.boxes[0].prompt, QString("Play for nothing ?! Never !"));
        QCOMPARE(t.host.boxes[0].title, QString("NO'p"));
        QCOMPARE(t.host.boxes[0].style, BoxStyle::Exclamation);
        QCOMPARE(t.window.state().Account, 100);
        QCOMPARE(t.host.pauses, 0);
        // Nothing shuffled, nothing dealt.
        QCOMPARE(t.random.draws, drawsBefore);
        QVERIFY(t.window.state().Deck == deckBefore);
        for (CardView* card : t.ui.Card)
            QVERIFY(card->isHidden());
        QVERIFY(InPhase(t.window, rules::Phase::Betting));
    }

    void refusalBoxHoldsTheTable()
    {
        Table t;
        t.host.onBox = [&] {
            QCOMPARE(t.window.phase(), rules::Phase::Dealing);
            QVERIFY(!t.window.state().Ready);
            QVERIFY(t.ui.cmdBetUp->isEnabled()); // nothing but Ready guards it now
            t.ui.cmdBetUp->click();
            t.ui.cmdDeal->click();
        };
        t.ui.cmdDeal->click();
        QCOMPARE(t.window.state().Bet, 0);
        QCOMPARE(t.host.boxes.size(), size_t(1));
        QVERIFY(InPhase(t.window, rules::Phase::Betting));
    }

    void dealClampsTheBet_data()
    {
        QTest::addColumn<int>("bet");
        QTest::addColumn<int>("account");
        QTest::addColumn<int>("stake");
        QTest::newRow("within") << 50 << 100 << 50;
        QTest::newRow("above the account") << 250 << 120 << 120;
        QTest::newRow("the whole account") << 100 << 100 << 100;
        QTest::newRow("above the cap") << 150000 << 300000 << 100000;
        QTest::newRow("above both") << 150000 << 90000 << 90000;
    }
    void dealClampsTheBet()
    {
        QFETCH(int, bet);
        QFETCH(int, account);
        QFETCH(int, stake);
        Table t(account);
        t.window.show();
        DealHand(t, bet, {});
        QCOMPARE(t.window.state().Bet, stake);
        QCOMPARE(t.ui.lblBet->text(), frmQuintara::AmountText(stake));
        QCOMPARE(t.window.state().Account, account - stake);
        QCOMPARE(t.ui.lblAccount->text(), frmQuintara::AmountText(account - stake));
        QVERIFY(InPhase(t.window, rules::Phase::Holding));
        QCOMPARE(t.window.focusWidget(), t.ui.cmdHold[0]);
    }

    // Each phase of a hand, reached by playing the window: its flags and
    // buttons are those of the phase table; in Holding a click on Up leaves
    // the stake as it was.
    void phaseTable_data()
    {
        QTest::addColumn<int>("phase");
        QTest::newRow("Betting: at the start") << int(rules::Phase::Betting);
        QTest::newRow("Dealing: the first pause") << int(rules::Phase::Dealing);
        QTest::newRow("Holding: dealt") << int(rules::Phase::Holding);
        QTest::newRow("Drawing: the draw's pause") << int(rules::Phase::Drawing);
        QTest::newRow("Settling: the result box") << int(rules::Phase::Settling);
        QTest::newRow("GameOver: everything lost") << int(rules::Phase::GameOver);
    }
    void phaseTable()
    {
        QFETCH(int, phase);
        Table t(10);
        WritableState(t.window).ShowMessages = true;
        t.window.show();
        std::optional<QString> wrong;
        const auto look = [&] {
            if (!wrong)
                wrong = PhaseMismatch(t.window, rules::Phase(phase));
        };
        switch (rules::Phase(phase)) {
        case rules::Phase::Betting:
            look();
            break;
        case rules::Phase::Dealing:
            t.host.onPause = look;
            DealHand(t, 10, {});
            break;
        case rules::Phase::Holding:
            DealHand(t, 10, {});
            look();
            t.ui.cmdBetUp->click();
            QCOMPARE(t.window.state().Bet, 10);
            QCOMPARE(t.ui.lblBet->text(), QString("$ 10"));
            break;
        case rules::Phase::Drawing:
            DealHand(t, 10, {});
            t.ui.cmdHold[2]->click();
            t.host.onPause = look;
            t.ui.cmdDeal->click();
            break;
        case rules::Phase::Settling:
            DealHand(t, 10, Cards("Jc Jd 9h 4s 2c"));
            t.host.onBox = look;
            t.ui.cmdDeal->click();
            break;
        case rules::Phase::GameOver:
            DealHand(t, 10, Cards("2c 5d 9h Js Kc"));
            t.ui.cmdDeal->click();
            look();
            break;
        }
        QVERIFY(wrong.has_value());
        QVERIFY2(wrong->isEmpty(), qPrintable(*wrong));
    }

    void dealShowsFiveCardsOneByOne()
    {
        Table t;
        const CardString top = Cards("Kh 2c 9d Js 5h");
        int pause = 0;
        t.host.onPause = [&] {
            ++pause;
            QVERIFY(InPhase(t.window, rules::Phase::Dealing));
            for (int i = 0; i < 5; ++i) {
                QVERIFY(t.ui.Card[i]->isVisibleTo(&t.window));
                QCOMPARE(t.ui.Card[i]->value(), i < pause ? top[i] : 63);
            }
            QCOMPARE(t.window.state().Account, 90);
        };
        DealHand(t, 10, top);
        QCOMPARE(pause, 4);
        QCOMPARE(Text(Shown(t)), Text(top));
        QVERIFY(t.window.state().Hand == top);
        QCOMPARE(t.window.state().NextCard, 5);
        QCOMPARE(static_cast<int>(t.window.state().Deck.size()), 47);
        QVERIFY(InPhase(t.window, rules::Phase::Holding));
    }

    void draw_data()
    {
        QTest::addColumn<QList<int>>("faceDown");
        QTest::addColumn<QString>("final");
        // Dealt: Kh 2c 9d Js 5h; the deck goes on with Kd 2s Ks 9c Jh.
        QTest::newRow("none: no card, no pause") << QList<int>{} << "Kh 2c 9d Js 5h";
        QTest::newRow("all five, left to right") << QList<int>{0, 1, 2, 3, 4} << "Kd 2s Ks 9c Jh";
        QTest::newRow("two") << QList<int>{1, 4} << "Kh Kd 9d Js 2s";
    }
    void draw()
    {
        QFETCH(QList<int>, faceDown);
        QFETCH(QString, final);
        Table t;
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h Kd 2s Ks 9c Jh"));
        for (int i : faceDown)
            t.ui.cmdHold[i]->click();
        const int pausesBefore = t.host.pauses;
        t.host.onPause = [&] { QVERIFY(InPhase(t.window, rules::Phase::Drawing)); };
        t.ui.cmdDeal->click();
        QCOMPARE(t.host.pauses - pausesBefore, int(faceDown.size()));
        QCOMPARE(Text(Shown(t)), final);
        QCOMPARE(Text(t.window.state().Hand), final);
        QVERIFY(InPhase(t.window, rules::Phase::Betting));
    }

    void settlement_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::addColumn<bool>("messages");
        QTest::addColumn<int>("bet");
        QTest::addColumn<int>("account");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("after");
        QTest::newRow("loss, messages on")
            << "2c 5d 9h Js Kc" << true << 10 << 100
            << QStringList{"play DATA_0", "box +$0", "stop"} << "Looser !\r\nYou get $0" << 90;
        QTest::newRow("money back") << "Jc Jd 9h 4s 2c" << true << 30 << 100
                                    << QStringList{"play DATA_1", "box +$30", "stop"}
                                    << "Your money back !\r\nYou get $30" << 100;
        QTest::newRow("royal flush, messages on")
            << "Ts Js Qs Ks As" << true << 10 << 100
            << QStringList{"play DATA_500", "box +$5000", "stop"}
            << "It's a Royal Flush ! Wow !\r\nYou get $5000" << 5090;
        QTest::newRow("royal flush, messages off")
            << "Ts Js Qs Ks As" << false << 10 << 100 << QStringList{} << "" << 5090;
        QTest::newRow("credit caps at the 32-bit top")
            << "Ts Js Qs Ks As" << false << 100000 << kMax32 - 1000 << QStringList{} << ""
            << kMax32;
    }
    void settlement()
    {
        QFETCH(QString, hand);
        QFETCH(bool, messages);
        QFETCH(int, bet);
        QFETCH(int, account);
        QFETCH(QStringList, events);
        QFETCH(QString, prompt);
        QFETCH(int, after);
        Table t(account);
        WritableState(t.window).ShowMessages = messages;
        DealHand(t, bet, Cards(hand.toLatin1()));
        t.events.clear();
        t.host.onBox = [&] { QVERIFY(InPhase(t.window, rules::Phase::Settling)); };
        t.ui.cmdDeal->click();
        QCOMPARE(t.events, events);
        if (!prompt.isEmpty()) {
            QCOMPARE(t.host.boxes.back().prompt, prompt);
            QCOMPARE(t.host.boxes.back().style, BoxStyle::Exclamation);
        }
        QCOMPARE(t.window.state().Account, after);
        QCOMPARE(t.ui.lblAccount->text(), frmQuintara::AmountText(after));
        QCOMPARE(t.window.state().Bet, bet); // the next hand plays for the same stake
        QVERIFY(InPhase(t.window, rules::Phase::Betting));
    }

    void endOfGame_data()
    {
        QTest::addColumn<bool>("messages");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("messages on")
            << true
            << QStringList{"play DATA_0", "box +$0", "stop", "play DATA_DEF", "box Bye-bye !"};
        QTest::newRow("messages off") << false << QStringList{"play DATA_DEF", "box Bye-bye !"};
    }
    void endOfGame()
    {
        QFETCH(bool, messages);
        QFETCH(QStringList, events);
        Table t(10);
        WritableState(t.window).ShowMessages = messages;
        t.window.show();
        QSignalSpy unloads(&t.window, &frmQuintara::queryUnload);
        DealHand(t, 10, Cards("2c 5d 9h Js Kc"));
        QCOMPARE(t.window.state().Account, 0); // the whole account is at stake
        t.events.clear();
        t.ui.cmdDeal->click();
        QCOMPARE(t.events, events);
        QCOMPARE(t.host.boxes.back().prompt, QString("You have lost everything, Sorry"));
        QCOMPARE(t.host.boxes.back().style, BoxStyle::Information);
        QCOMPARE(unloads.size(), 1);
        QVERIFY(!t.window.isVisible());
        QCOMPARE(t.window.state().Account, 0);
        QCOMPARE(t.ui.lblAccount->text(), QString("$ 0"));
        QVERIFY(InPhase(t.window, rules::Phase::GameOver));
    }

    void betButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("bet");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("after"); // -1: bet and label untouched
        QTest::addColumn<int>("beeps");
        QTest::newRow("box: above the account") << "bet" << 0 << 100 << "250" << 100 << 0;
        QTest::newRow("box: above the cap") << "bet" << 0 << 200000 << "150000" << 100000 << 0;
        QTest::newRow("box: negative") << "bet" << 40 << 100 << "-20" << 0 << 0;
        QTest::newRow("box: half to even, down") << "bet" << 0 << 100 << "12.5" << 12 << 0;
        QTest::newRow("box: half to even, up") << "bet" << 0 << 100 << "13.5" << 14 << 0;
        QTest::newRow("box: Cancel") << "bet" << 40 << 100 << "" << -1 << 0;
        QTest::newRow("box: letters") << "bet" << 40 << 100 << "lots" << -1 << 0;
        QTest::newRow("box: beyond 32 bits") << "bet" << 40 << 100 << "99999999999" << -1 << 0;
        QTest::newRow("up: plain") << "up" << 20 << 100 << "" << 30 << 0;
        QTest::newRow("up: onto the cap") << "up" << 99995 << 200000 << "" << 100000 << 1;
        QTest::newRow("up: at the cap") << "up" << 100000 << 200000 << "" << 100000 << 1;
        QTest::newRow("up: onto the account") << "up" << 95 << 100 << "" << 100 << 1;
        QTest::newRow("up: both limits") << "up" << 99995 << 50000 << "" << 50000 << 2;
        QTest::newRow("up: exactly the account") << "up" << 90 << 100 << "" << 100 << 0;
        QTest::newRow("down: below zero") << "down" << 5 << 100 << "" << 0 << 1;
        QTest::newRow("down: onto zero") << "down" << 10 << 100 << "" << 0 << 0;
        QTest::newRow("down: from zero") << "down" << 0 << 100 << "" << 0 << 1;
        QTest::newRow("down: above the account") << "down" << 80 << 30 << "" << 30 << 1;
    }
    void betButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, bet);
        QFETCH(int, account);
        QFETCH(QString, reply);
        QFETCH(int, after);
        QFETCH(int, beeps);
        Table t(account);
        WritableState(t.window).Bet = bet;
        t.ui.lblBet->setText("untouched");
        t.host.replies.push_back(reply);
        QPushButton* target = button == "bet"  ? t.ui.cmdBet
                              : button == "up" ? t.ui.cmdBetUp
                                               : t.ui.cmdBetDown;
        target->click();
        QCOMPARE(t.host.beeps, beeps);
        QCOMPARE(t.window.state().Bet, after < 0 ? bet : after);
        QCOMPARE(t.ui.lblBet->text(),
                 after < 0 ? QString("untouched") : frmQuintara::AmountText(after));
        QVERIFY(t.host.boxes.empty());
    }

    void betBoxOffersTheRange_data()
    {
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("100") << 100 << "Enter an amount of money to bet (0 - 100)"
                             << "50";
        QTest::newRow("101") << 101 << "Enter an amount of money to bet (0 - 101)"
                             << "50";
        QTest::newRow("150000") << 150000 << "Enter an amount of money to bet (0 - 100000)"
                                << "50000";
    }
    void betBoxOffersTheRange()
    {
        QFETCH(int, account);
        QFETCH(QString, prompt);
        QFETCH(QString, suggested);
        Table t(account);
        t.ui.cmdBet->click();
        QCOMPARE(t.host.inputs.size(), size_t(1));
        QCOMPARE(t.host.inputs[0].title, QString("Bet ?"));
        QCOMPARE(t.host.inputs[0].prompt, prompt);
        QCOMPARE(t.host.inputs[0].defaultText, suggested);
    }

    // Presses that reach a handler in the middle of a deal or a draw change nothing.
    void pressesDuringPauses_data()
    {
        QTest::addColumn<bool>("duringDraw");
        QTest::addColumn<bool>("byClick");
        QTest::newRow("deal, handlers called") << false << false;
        QTest::newRow("deal, buttons clicked") << false << true;
        QTest::newRow("draw, handlers called") << true << false;
        QTest::newRow("draw, buttons clicked") << true << true;
    }
    void pressesDuringPauses()
    {
        QFETCH(bool, duringDraw);
        QFETCH(bool, byClick);
        Table t;
        t.host.replies = {"77", "77", "77", "77", "77"};
        auto pressAll = [&] {
            if (byClick) {
                for (QPushButton* b : {t.ui.cmdDeal, t.ui.cmdBet, t.ui.cmdBetUp, t.ui.cmdBetDown})
                    b->click();
            } else {
                t.window.cmdDeal_Click();
                t.window.cmdBet_Click();
                t.window.cmdBetUp_Click();
                t.window.cmdBetDown_Click();
            }
        };
        const CardString top = Cards("Kh 2c 9d Js 5h Kd 2s Ks 9c Jh");
        if (duringDraw) {
            DealHand(t, 20, top);
            for (QPushButton* hold : t.ui.cmdHold)
                hold->click();
            t.host.onPause = pressAll;
            t.ui.cmdDeal->click();
        } else {
            t.host.onPause = pressAll;
            DealHand(t, 20, top);
        }
        QCOMPARE(t.host.pauses, duringDraw ? 9 : 4);
        QCOMPARE(t.window.state().Bet, 20);
        QCOMPARE(t.ui.lblBet->text(), QString("$ 20"));
        QCOMPARE(t.host.beeps, 0);
        QVERIFY(t.host.inputs.empty());
        QVERIFY(t.host.boxes.size() == (duringDraw ? 1u : 0u)); // only the result box
        QCOMPARE(Text(t.window.state().Hand),
                 Text(duringDraw ? Cards("Kd 2s Ks 9c Jh") : Cards("Kh 2c 9d Js 5h")));
    }

    // Closing the window in the middle of a hand: the unload happens once, the
    // hand stops where it is, and nothing of the closed window is touched.
    void closeDuringHand_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<QString>("how");
        for (const char* when : {"deal", "draw", "result box"})
            for (const char* how : {"close", "quit", "destroy"})
                QTest::addRow("%s, %s", when, how) << when << how;
    }
    void closeDuringHand()
    {
        QFETCH(QString, when);
        QFETCH(QString, how);
        auto t = std::make_unique<Table>();
        t->window.show();
        QSignalSpy unloads(&t->window, &frmQuintara::queryUnload);
        int unloadsSeen = 0;
        bool done = false;
        auto shut = [&] {
            if (done)
                return;
            done = true;
            if (how == "close")
                t->window.close();
            else if (how == "quit")
                t->ui.mnuQuit->trigger();
            else
                t->holder.reset();
            unloadsSeen = how == "destroy" ? 0 : unloads.size();
        };
        const CardString top = Cards("2c 5d 9h 8s Kc Ts Js Qs Ks As");
        if (when != "deal") {
            DealHand(*t, 10, top);
            for (QPushButton* hold : t->ui.cmdHold)
                hold->click();
        } else {
            WritableState(t->window).Bet = 10;
            t->random.stackDeck(top);
        }
        (when == "result box" ? t->host.onBox : t->host.onPause) = shut;
        const int boxesBefore = int(t->host.boxes.size());
        const int pausesBefore = t->host.pauses;
        t->events.clear();
        frmQuintara* window = &t->window;
        window->cmdDeal_Click();

        QVERIFY(done);
        if (how != "destroy") {
            QCOMPARE(unloadsSeen, 1);
            QCOMPARE(unloads.size(), 1);
            // The stake is gone; a win shown in its box was credited before it opened.
            QCOMPARE(t->window.state().Account, when == "result box" ? 5090 : 90);
            QCOMPARE(t->ui.lblAccount->text(), QString("$ 90"));
            QVERIFY(!t->window.state().Ready);
        }
        // One pause, or one box, and then nothing more.
        if (when == "result box") {
            QCOMPARE(t->events, QStringList({"pause", "pause", "pause", "pause", "pause",
                                             "play DATA_500", "box +$5000", "stop"}));
        } else {
            QCOMPARE(t->host.pauses - pausesBefore, 1);
            QCOMPARE(int(t->host.boxes.size()), boxesBefore);
            QCOMPARE(t->events, QStringList({"pause"}));
        }
    }

    void holdTogglesTwice()
    {
        Table t;
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        t.ui.cmdHold[2]->click();
        QCOMPARE(t.ui.Card[2]->value(), 63);
        t.ui.cmdHold[2]->click();
        QCOMPARE(Text(Shown(t)), QString("Kh 2c 9d Js 5h"));
        QCOMPARE(t.host.beeps, 0);
        QVERIFY(t.sound.played.isEmpty());
    }

    void leftClickOnACard_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<bool>("turns");
        QTest::newRow("holding") << "holding" << true;
        QTest::newRow("during the deal") << "dealing" << false;
        QTest::newRow("during the draw") << "drawing" << false;
        QTest::newRow("after the draw") << "settled" << false;
    }
    void leftClickOnACard()
    {
        QFETCH(QString, when);
        QFETCH(bool, turns);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        CardString before, after;
        auto clickCard = [&] {
            before = Shown(t);
            QTest::mouseClick(t.ui.Card[0], Qt::LeftButton);
            after = Shown(t);
        };
        const CardString top = Cards("Kh 2c 9d Js 5h Kd 2s Ks 9c Jh");
        if (when == "dealing") {
            t.host.onPause = [&] {
                if (before.empty())
                    clickCard();
            };
        }
        DealHand(t, 10, top);
        if (when == "drawing") {
            t.ui.cmdHold[1]->click();
            t.host.onPause = clickCard;
        }
        if (when == "holding")
            clickCard();
        else if (when != "dealing")
            t.ui.cmdDeal->click();
        if (when == "settled")
            clickCard();
        QCOMPARE(after[0] == 63, turns);
        if (!turns)
            QCOMPARE(Text(after), Text(before));
    }

    void otherButtonsOpenTheBackMenu_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("dealt");
        QTest::newRow("right, holding") << Qt::RightButton << true;
        QTest::newRow("middle, holding") << Qt::MiddleButton << true;
        QTest::newRow("right, between hands") << Qt::RightButton << false;
    }
    void otherButtonsOpenTheBackMenu()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, dealt);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        if (!dealt)
            t.ui.cmdDeal->click();
        const CardString before = Shown(t);
        QTest::mousePress(t.ui.Card[3], button);
        QTRY_VERIFY(t.ui.mnuCardDeck->isVisible());
        t.ui.mnuCardDeck->hide();
        QCOMPARE(Text(Shown(t)), Text(before));
    }

    void numberKeysTurnCards_data()
    {
        QTest::addColumn<bool>("dealt");
        QTest::addColumn<bool>("keypad");
        QTest::newRow("holding") << true << false;
        QTest::newRow("holding, keypad") << true << true;
        QTest::newRow("between hands") << false << false;
    }
    void numberKeysTurnCards()
    {
        QFETCH(bool, dealt);
        QFETCH(bool, keypad);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        if (!dealt)
            t.ui.cmdDeal->click();
        const CardString before = Shown(t);
        const rules::GameState state = t.window.state();
        const Qt::KeyboardModifiers mods = keypad ? Qt::KeypadModifier : Qt::NoModifier;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(&t.window, Qt::Key(Qt::Key_1 + i), mods);
            QCOMPARE(t.ui.Card[i]->value() == 63, dealt);
        }
        QTest::keyClick(&t.window, Qt::Key_3, mods);
        QTest::keyClick(&t.window, Qt::Key_6, mods); // no sixth card
        CardString expected = before;
        if (dealt)
            expected = {63, 63, before[2], 63, 63};
        QCOMPARE(Text(Shown(t)), Text(expected));
        QVERIFY(t.window.state().Hand == state.Hand);
        QVERIFY(t.window.state().Deck == state.Deck);
        QCOMPARE(t.window.state().Account, state.Account);
        QVERIFY(InPhase(t.window, state.phase));
    }

    void numberKeysAreIdleDuringTheDeal()
    {
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        t.host.onPause = [&] {
            const CardString before = Shown(t);
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(&t.window, Qt::Key(Qt::Key_1 + i));
            QCOMPARE(Text(Shown(t)), Text(before));
        };
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        QCOMPARE(Text(Shown(t)), QString("Kh 2c 9d Js 5h"));
    }

    void newBackFollowsFaceDownCards_data()
    {
        QTest::addColumn<bool>("duringDraw");
        QTest::newRow("while holding") << false;
        QTest::newRow("in the middle of the draw") << true;
    }
    void newBackFollowsFaceDownCards()
    {
        QFETCH(bool, duringDraw);
        Table t;
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h Kd 2s Ks"));
        for (int i : {0, 3, 4})
            t.ui.cmdHold[i]->click();
        if (duringDraw) {
            t.host.onPause = [&] {
                if (t.host.pauses == 5) { // after the first replacement
                    t.ui.mnuCD[55]->trigger();
                    QCOMPARE(Text(Shown(t)), QString("Kd 2c 9d #55 #55"));
                }
            };
        } else {
            t.ui.mnuCD[55]->trigger();
            QCOMPARE(Text(Shown(t)), QString("#55 2c 9d #55 #55"));
        }
        QCOMPARE(t.window.state().CardBack, duringDraw ? 63 : 55);
        t.ui.cmdDeal->click();
        QCOMPARE(t.window.state().CardBack, 55);
        QCOMPARE(Text(Shown(t)), QString("Kd 2c 9d 2s Ks"));
        for (auto& [code, item] : t.ui.mnuCD)
            QCOMPARE(item->isChecked(), code == 55);
    }

    void checkMarkMoves_data()
    {
        QTest::addColumn<QList<int>>("choices");
        QTest::newRow("one") << QList<int>{54};
        QTest::newRow("the one in use") << QList<int>{63};
        QTest::newRow("there and back") << QList<int>{68, 57, 63};
        QTest::newRow("the same twice") << QList<int>{60, 60};
    }
    void checkMarkMoves()
    {
        QFETCH(QList<int>, choices);
        Table t;
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        t.ui.cmdDeal->click(); // between hands: every place shows a face
        const CardString faces = Shown(t);
        for (int code : choices)
            t.ui.mnuCD[code]->trigger();
        for (auto& [code, item] : t.ui.mnuCD)
            QCOMPARE(item->isChecked(), code == choices.back());
        QCOMPARE(t.window.state().CardBack, choices.back());
        QCOMPARE(Text(Shown(t)), Text(faces));

        // The next deal lays its cards face down in the new design.
        t.host.onPause = [&] {
            QCOMPARE(t.ui.Card[4]->value(), choices.back());
            t.host.onPause = nullptr;
        };
        DealHand(t, 10, {});
    }

    void drawCardReplacesOnePlace()
    {
        Table t;
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h Kd"));
        const CardString before = Shown(t);
        WritableState(t.window).NextCard = 2;
        t.window.DrawCard(true, true);
        QCOMPARE(Text(Shown(t)), QString("Kh 2c Kd Js 5h"));
        QCOMPARE(Text(t.window.state().Hand), QString("Kh 2c Kd Js 5h"));
        QCOMPARE(t.window.state().NextCard, 3);
        QCOMPARE(static_cast<int>(t.window.state().Deck.size()), 46);
    }

    void keyReleaseOnHoldButtons_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("toDeal");
        for (int i = 0; i < 5; ++i)
            QTest::addRow("hold %d", i) << i << (i == 4);
    }
    void keyReleaseOnHoldButtons()
    {
        QFETCH(int, index);
        QFETCH(bool, toDeal);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        DealHand(t, 10, Cards("Kh 2c 9d Js 5h"));
        QPushButton* hold = t.ui.cmdHold[index];
        hold->setFocus();
        QTest::keyClick(hold, Qt::Key_Space);
        QCOMPARE(t.ui.Card[index]->value(), 63); // the key still works the button
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Shift);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), toDeal ? t.ui.cmdDeal : hold);
    }

    void cardFocusGoesToDeal_data()
    {
        QTest::addColumn<bool>("dealEnabled");
        QTest::newRow("deal enabled") << true;
        QTest::newRow("deal disabled") << false;
    }
    void cardFocusGoesToDeal()
    {
        QFETCH(bool, dealEnabled);
        Table t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        t.ui.cmdBet->setFocus();
        t.ui.cmdDeal->setEnabled(dealEnabled);
        t.window.Card_GotFocus(2);
        QCOMPARE(QApplication::focusWidget(), dealEnabled ? t.ui.cmdDeal : t.ui.cmdBet);
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
