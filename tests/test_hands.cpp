#include "all_hands.h"
#include "card_code.h"
#include "evaluator.h"
#include "pay_table.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

using namespace hands;

namespace {

std::array<int, 5> Parse(const QString& text)
{
    const auto cards = cards::ParseCards(text.toStdString());
    std::array<int, 5> hand{};
    if (cards && cards->size() == 5)
        std::copy(cards->begin(), cards->end(), hand.begin());
    return hand;
}

} // namespace

class TestHands : public QObject
{
    Q_OBJECT

  private slots:
    void evaluate_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::addColumn<int>("multiplier");
        QTest::addColumn<QString>("comment");
        QTest::newRow("royal, scrambled")
            << "Kh Ah Th Qh Jh" << 500 << "It's a Royal Flush ! Wow !";
        QTest::newRow("wheel flush is not royal") << "Ad 2d 3d 4d 5d" << 100 << "A Flush ! Cool !";
        QTest::newRow("nine to king flush") << "9c Tc Jc Qc Kc" << 100 << "A Flush ! Cool !";
        QTest::newRow("broadway, mixed") << "Th Jc Qd Ks As" << 5 << "Straight. Very well !";
        QTest::newRow("wheel, mixed") << "As 2c 3d 4h 5h" << 5 << "Straight. Very well !";
        QTest::newRow("no wrap past the king") << "Qs Kc Ad 2h 3h" << 0 << "Looser !";
        QTest::newRow("suit") << "2s 5s 8s Js Ks" << 7 << "All of one suit ! Yeah !";
        QTest::newRow("suit with ace and king")
            << "9d Jd Qd Kd Ad" << 7 << "All of one suit ! Yeah !";
        QTest::newRow("pair of aces") << "Ac Ad 3h 7s 9c" << 1 << "Your money back !";
        QTest::newRow("pair of jacks") << "Jc 2d 3h Js 9c" << 1 << "Your money back !";
        QTest::newRow("pair of tens") << "Tc Td 3h 7s 9c" << 0 << "Looser !";
        QTest::newRow("two low pairs") << "2c 2d 3h 3s 9c" << 2 << "Well, at least something.";
        QTest::newRow("two pairs, kicker lowest")
            << "2c 5d 5h 9s 9c" << 2 << "Well, at least something.";
        QTest::newRow("three twos") << "2c 2d 2h 7s 9c" << 3 << "Three of a kind !";
        QTest::newRow("three in the middle") << "3c 7d 7h 7s Kc" << 3 << "Three of a kind !";
        QTest::newRow("four twos") << "2c 2d 2h 2s 9c" << 50 << "A Caret, Extremely good !!!";
        QTest::newRow("four kings, low kicker")
            << "3c Kd Kh Ks Kc" << 50 << "A Caret, Extremely good !!!";
        QTest::newRow("full, trips low") << "2c 2d 2h 3s 3c" << 10 << "A Cool Full House !";
        QTest::newRow("full, pair low") << "2c 2d 3h 3s 3c" << 10 << "A Cool Full House !";
        QTest::newRow("nothing") << "2c 4d 6h 8s Tc" << 0 << "Looser !";
    }
    void evaluate()
    {
        QFETCH(QString, hand);
        QFETCH(int, multiplier);
        QFETCH(QString, comment);
        std::array<int, 5> cards = Parse(hand);
        std::sort(cards.begin(), cards.end());
        do {
            std::string out = "left over from before";
            QCOMPARE(EvaluateHand(cards, out), multiplier);
            QCOMPARE(QString::fromStdString(out), comment);
        } while (std::next_permutation(cards.begin(), cards.end()));
    }

    void partsOnTheirOwn_data()
    {
        QTest::addColumn<QString>("ranks");
        QTest::addColumn<bool>("straight");
        QTest::addColumn<bool>("fullHouse");
        QTest::addColumn<bool>("twoPairs");
        QTest::addColumn<int>("ofAKind");
        QTest::newRow("A2345") << "1 2 3 4 5" << true << false << false << 0;
        QTest::newRow("TJQKA") << "10 11 12 13 1" << true << false << false << 0;
        QTest::newRow("QKA23") << "12 13 1 2 3" << false << false << false << 0;
        QTest::newRow("XXYYY passes two pairs too") << "2 2 3 3 3" << false << true << true << 3;
        QTest::newRow("XXXYY") << "4 4 4 9 9" << false << true << false << 3;
        QTest::newRow("two pairs of queens and 2s") << "12 2 12 2 5" << false << false << true << 2;
        QTest::newRow("two low pairs count nothing") << "2 2 3 3 4" << false << false << true << 0;
        QTest::newRow("four aces") << "1 1 1 1 5" << false << false << false << 4;
        QTest::newRow("pair of kings") << "13 13 2 3 4" << false << false << false << 2;
    }
    void partsOnTheirOwn()
    {
        QFETCH(QString, ranks);
        QFETCH(bool, straight);
        QFETCH(bool, fullHouse);
        QFETCH(bool, twoPairs);
        QFETCH(int, ofAKind);
        Seq5 r{};
        const QStringList parts = ranks.split(' ');
        for (int i = 0; i < 5; ++i)
            r[i] = parts[i].toInt();
        const Seq5 before = r;
        QCOMPARE(IsStraight(r), straight);
        QCOMPARE(IsFullHouse(r), fullHouse);
        QCOMPARE(IsTwoPairs(r), twoPairs);
        QCOMPARE(CountOfAKind(r), ofAKind);
        QCOMPARE(r, before); // the caller's sequence is never changed
    }

    void splitHandKeepsPlaceOrder()
    {
        const std::array<int, 5> hand = {52, 1, 27, 14, 40};
        Seq5 suits{9, 9, 9, 9, 9};
        Seq5 ranks{9, 9, 9, 9, 9};
        SplitHand(hand, suits, ranks);
        QCOMPARE(suits, (Seq5{3, 0, 2, 1, 3}));
        QCOMPARE(ranks, (Seq5{13, 1, 1, 1, 1}));
    }

    // Every five-card hand: the counts per multiplier are those of a correct
    // Jacks-or-better evaluator under this table's names.
    void allHandsCounted()
    {
        std::map<int, int> counts;
        std::string comment;
        ForEachHand([&](const std::array<int, 5>& h) { ++counts[EvaluateHand(h, comment)]; });
        const std::map<int, int> expected = {{0, 2062860}, {1, 337920}, {2, 123552}, {3, 54912},
                                             {5, 10200},   {7, 5108},   {10, 3744},  {50, 624},
                                             {100, 36},    {500, 4}};
        QCOMPARE(counts, expected);
    }

    void orderIndependenceOnASample()
    {
        std::mt19937 gen(20261208);
        std::array<int, 52> deck{};
        std::iota(deck.begin(), deck.end(), 1);
        for (int sample = 0; sample < 2000; ++sample) {
            std::shuffle(deck.begin(), deck.end(), gen);
            std::array<int, 5> hand{};
            std::copy_n(deck.begin(), 5, hand.begin());
            const HandClass first = ClassifyHand(hand);
            for (int k = 0; k < 5; ++k) {
                std::shuffle(hand.begin(), hand.end(), gen);
                QCOMPARE(ClassifyHand(hand), first);
            }
        }
    }

    void payTableIsConsistent()
    {
        std::set<int> multipliers;
        for (int i = 0; i < kHandClassCount; ++i) {
            const PayRow& row = kPayTable[i];
            QCOMPARE(static_cast<int>(row.hand), i);
            QCOMPARE(QString::fromUtf8(row.sound.data(), row.sound.size()),
                     QStringLiteral("DATA_%1").arg(row.multiplier));
            QVERIFY(multipliers.insert(row.multiplier).second); // no two rows share one
        }
        const auto rows = PayingRowsAscending();
        QStringList names;
        for (const PayRow* row : rows)
            names << QString::fromUtf8(row->name.data(), row->name.size());
        QCOMPARE(names,
                 (QStringList{"2 of a kind (Jacks or better)", "Two Pairs", "3 of a kind",
                              "Straight", "Suit", "Full House", "Caret", "Flush", "Royal Flush"}));
    }
};

QTEST_APPLESS_MAIN(TestHands)
#include "test_hands.moc"
