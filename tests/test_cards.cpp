#include "card_code.h"
#include "deck.h"
#include "random.h"
#include "scripted_random.h"

#include <QtTest>
#include <algorithm>
#include <deque>
#include <set>

using namespace cards;

namespace {

CardString Letters(const char* text)
{
    CardString s;
    for (const char* p = text; *p; ++p)
        s.push_back(*p);
    return s;
}

} // namespace

class TestCards : public QObject
{
    Q_OBJECT

  private slots:
    void codeParts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("suit");
        QTest::addColumn<int>("rank");
        QTest::newRow("ace of clubs") << 1 << 0 << 1;
        QTest::newRow("king of clubs") << 13 << 0 << 13;
        QTest::newRow("ace of diamonds") << 14 << 1 << 1;
        QTest::newRow("ten of hearts") << 36 << 2 << 10;
        QTest::newRow("king of spades") << 52 << 3 << 13;
    }
    void codeParts()
    {
        QFETCH(int, code);
        QFETCH(int, suit);
        QFETCH(int, rank);
        QCOMPARE(CardSuit(code), suit);
        QCOMPARE(CardRank(code), rank);
        QCOMPARE(MakeCard(suit, rank), code);
    }

    void notationRoundTrip()
    {
        for (int code = 1; code <= kCardCount; ++code) {
            const auto parsed = ParseCard(CardNotation(code));
            QVERIFY(parsed.has_value());
            QCOMPARE(*parsed, code);
        }
    }

    void parseCards_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty = must fail
        QTest::newRow("blanks") << "Kh Qh Jh Th 2s"
                                << "Kh Qh Jh Th 2s";
        QTest::newRow("commas, lower case") << "kh,qh , jh"
                                            << "Kh Qh Jh";
        QTest::newRow("back to back") << "AsKs"
                                      << "As Ks";
        QTest::newRow("ten written as 10") << "10h 10C"
                                           << "Th Tc";
        QTest::newRow("unknown suit") << "Kx"
                                      << "";
        QTest::newRow("unknown rank") << "1h"
                                      << "";
        QTest::newRow("dangling rank") << "Kh Q"
                                       << "";
        QTest::newRow("eleven") << "11h"
                                << "";
    }
    void parseCards()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto cards = ParseCards(text.toStdString());
        if (expected.isEmpty()) {
            QVERIFY(!cards.has_value());
            return;
        }
        QVERIFY(cards.has_value());
        QCOMPARE(QString::fromStdString(FormatCards(*cards)), expected);
    }

    void cardNames()
    {
        QCOMPARE(CardName(MakeCard(2, 12)), std::string("Queen of hearts"));
        QCOMPARE(CardName(10), std::string("10 of clubs"));
        QCOMPARE(CardName(63), std::string("Face down"));
    }

    void newDeckIsOrderedWhateverCameBefore()
    {
        CardString deck = {5, 7};
        ScriptedRandom rnd({0.5f});
        NewDeck(deck, rnd);
        QCOMPARE(static_cast<int>(deck.size()), 52);
        for (int i = 0; i < 52; ++i)
            QCOMPARE(deck[i], i + 1);
        QCOMPARE(rnd.reseeds, 1);
        QCOMPARE(rnd.draws, 0);
    }

    void tripleCut_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<QString>("expected");
        QTest::newRow("worked example") << 3 << 7 << "HIJDEFGABC";
        QTest::newRow("equal points rotate") << 4 << 4 << "EFGHIJABCD";
        QTest::newRow("0,0 unchanged") << 0 << 0 << "ABCDEFGHIJ";
        QTest::newRow("n,n unchanged") << 10 << 10 << "ABCDEFGHIJ";
        QTest::newRow("0,n unchanged") << 0 << 10 << "ABCDEFGHIJ";
        QTest::newRow("first block empty") << 0 << 3 << "DEFGHIJABC";
        QTest::newRow("last block empty") << 2 << 10 << "CDEFGHIJAB";
    }
    void tripleCut()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(QString, expected);
        CardString deck = Letters("ABCDEFGHIJ");
        TripleCut(deck, a, b);
        QCOMPARE(deck, Letters(expected.toLatin1().constData()));
    }

    void cutPointRoundsHalfToEven_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("k");
        QTest::newRow("0") << 0.0f << 52 << 0;
        QTest::newRow("just under 1") << 0.99999994f << 52 << 52;
        QTest::newRow("0.5 of 1 -> 0") << 0.5f << 1 << 0;
        QTest::newRow("2.5 -> 2") << 0.25f << 10 << 2;
        QTest::newRow("3.5 -> 4") << 0.875f << 4 << 4;
        QTest::newRow("plain") << 0.3f << 52 << 16;
    }
    void cutPointRoundsHalfToEven()
    {
        QFETCH(float, r);
        QFETCH(int, n);
        QFETCH(int, k);
        QCOMPARE(CutPoint(r, n), k);
    }

    void shuffleUsesPairsInOrderAndSwapsThem()
    {
        // First pair (7,3) on ten cards, the worked example: HIJ DEFG ABC. The
        // last pair (5,2) is a real cut too, so a loop that stops one cut early
        // fails: HI JDE FGABC becomes FGABC JDE HI. The pairs between cut 0,0.
        std::deque<float> values = {0.7f, 0.3f};
        values.insert(values.end(), 16, 0.0f);
        values.insert(values.end(), {0.5f, 0.2f});
        CardString deck = Letters("ABCDEFGHIJ");
        ScriptedRandom rnd(values);
        ShuffleDeck(deck, rnd);
        QCOMPARE(deck, Letters("FGABCJDEHI"));
        QCOMPARE(rnd.draws, 20);
        QCOMPARE(rnd.reseeds, 1);
    }

    void shuffleIsAPermutation()
    {
        SystemRandom rnd;
        for (int round = 0; round < 50; ++round) {
            CardString deck;
            NewDeck(deck, rnd);
            ShuffleDeck(deck, rnd);
            QCOMPARE(static_cast<int>(deck.size()), 52);
            CardString sorted = deck;
            std::sort(sorted.begin(), sorted.end());
            for (int i = 0; i < 52; ++i)
                QCOMPARE(sorted[i], i + 1);
        }
    }

    void reseedsWithinOneMillisecondDiffer()
    {
        SystemRandom rnd;
        std::set<CardString> decks;
        for (int i = 0; i < 20; ++i) {
            CardString deck;
            NewDeck(deck, rnd);
            ShuffleDeck(deck, rnd);
            decks.insert(deck);
        }
        QCOMPARE(static_cast<int>(decks.size()), 20);
    }

    void unitFloatStaysBelowOne()
    {
        QCOMPARE(UnitFloat(~0ull) < 1.0f, true);
        QCOMPARE(UnitFloat(0), 0.0f);
    }

    void takeCardRenewsOnlyBelowTen_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<bool>("renewed");
        QTest::newRow("ten cards: no renewal") << 10 << 9 << false;
        QTest::newRow("nine cards: renewed") << 9 << 51 << true;
        QTest::newRow("empty: renewed") << 0 << 51 << true;
    }
    void takeCardRenewsOnlyBelowTen()
    {
        QFETCH(int, size);
        QFETCH(int, remaining);
        QFETCH(bool, renewed);
        CardString deck;
        for (int i = 0; i < size; ++i)
            deck.push_back(40 + i);
        ScriptedRandom rnd({0.0f}); // all cuts (0,0): a fresh deck stays in order
        const int card = TakeCard(deck, rnd);
        QCOMPARE(static_cast<int>(deck.size()), remaining);
        QCOMPARE(card, renewed ? 1 : 40);
        QCOMPARE(rnd.reseeds, renewed ? 2 : 0);
    }
};

QTEST_APPLESS_MAIN(TestCards)
#include "test_cards.moc"
