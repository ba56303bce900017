#include "odds_test_helpers.h"

class TestOddsExact : public QObject
{
    Q_OBJECT

  private slots:
    void tablesAgreeWithEvaluatorOnEveryHand()
    {
        const std::vector<std::uint8_t>& rows = EveryHandClassified();
        std::size_t n = 0;
        std::string firstMismatch;
        hands::ForEachHand([&](const std::array<int, 5>& h) {
            if (static_cast<int>(Tables().classify(h)) != rows[n++] && firstMismatch.empty())
                firstMismatch = cards::FormatCards({h.begin(), h.end()});
        });
        QVERIFY2(firstMismatch.empty(), firstMismatch.c_str());
        ClassCounts counted{};
        for (const std::uint8_t row : rows)
            ++counted[row];
        QCOMPARE(Tables().allHands(), counted);
    }

    // Each class of deals that differ by suit names appears once, with the
    // number of deals it stands for.
    void suitClassesCoverEveryDealOnce()
    {
        const auto key = [](const std::array<int, 5>& hand) {
            std::array<unsigned, 4> masks{};
            for (const int c : hand)
                masks[static_cast<std::size_t>(cards::CardSuit(c))] |= 1u
                                                                       << (cards::CardRank(c) - 1);
            std::sort(masks.begin(), masks.end(), std::greater<>());
            return (std::uint64_t(masks[0]) << 39) | (std::uint64_t(masks[1]) << 26) |
                   (std::uint64_t(masks[2]) << 13) | masks[3];
        };
        const std::vector<DealClass> classes = SuitClasses();
        QCOMPARE(classes.size(), std::size_t(134459));
        std::map<std::uint64_t, int> weight;
        for (const DealClass& deal : classes)
            QVERIFY(weight.emplace(key(deal.cards), deal.weight).second);
        std::map<std::uint64_t, int> seen;
        hands::ForEachHand([&](const std::array<int, 5>& h) { ++seen[key(h)]; });
        QCOMPARE(seen, weight);
    }

    // The fast counts equal an enumeration of every draw of every hold. The
    // sanitizer build checks fewer deals to stay quick.
    void holdCountsMatchEnumeration()
    {
        const int deals = kFullRun ? 200 : 12;
        std::mt19937_64 gen(20261208);
        for (int i = 0; i < deals; ++i) {
            const std::array<int, 5> dealt = RandomDeal(gen);
            HoldTable fast;
            CountDraws(Tables(), dealt, fast);
            const HoldTable slow = EnumerateDraws(dealt);
            if (fast != slow)
                QFAIL(cards::FormatCards({dealt.begin(), dealt.end()}).c_str());
        }
    }

    // The shortcut that compares paid totals first picks the same hold, with
    // the same counts, as ranking the full counts; ties included.
    void bestPlayAgreesWithFullCounts_data()
    {
        QTest::addColumn<QString>("pays");
        QTest::newRow("game") << "";
        QTest::newRow("9/6") << "800,50,25,9,6,4,3,2,1";
        QTest::newRow("nothing pays: every hold ties") << "0,0,0,0,0,0,0,0,0";
        QTest::newRow("only pairs pay: many ties") << "0,0,0,0,0,0,0,0,1";
    }
    void bestPlayAgreesWithFullCounts()
    {
        QFETCH(QString, pays);
        const PayVector table = Pays(pays);
        const PaidTables paid(Tables(), table);
        std::mt19937_64 gen(5);
        for (int i = 0; i < 3000; ++i) {
            const std::array<int, 5> dealt = RandomDeal(gen);
            HoldTable counts;
            CountDraws(Tables(), dealt, counts);
            const unsigned best = BestHold(counts, table);
            const BestPlay play = PlayBest(Tables(), paid, dealt);
            QCOMPARE(play.hold, best);
            QCOMPARE(play.counts, counts[best]);
            QCOMPARE(play.scaledReturn, ScaledReturn(counts[best], best, table));
            std::uint32_t ties = 0; // as good as the best, of as many cards
            for (unsigned h = 0; h < kHoldCount; ++h)
                if (ScaledReturn(counts[h], h, table) == play.scaledReturn &&
                    std::popcount(h) == std::popcount(best))
                    ties |= 1u << h;
            QCOMPARE(play.ties, ties);
        }
    }

    // 9c Tc Jc ties in return with 8d 9c Tc Jc: the three cards are played,
    // and the four-card hold is no tie of the mask, which holds only holds
    // of as many cards.
    void tieMaskOfAThreeAndFourCardTie()
    {
        const std::array<int, 5> dealt = Deal("9c Tc Jc 8d Ah");
        const PayVector table = GamePays();
        HoldTable counts;
        CountDraws(Tables(), dealt, counts);
        QCOMPARE(ScaledReturn(counts[0b00111], 0b00111, table),
                 ScaledReturn(counts[0b01111], 0b01111, table));
        const BestPlay play = PlayBest(Tables(), PaidTables(Tables(), table), dealt);
        QCOMPARE(play.hold, 0b00111u);
        QCOMPARE(play.ties, 1u << 0b00111);
    }

    void holdCountsMatchLiteralBruteForce_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::newRow("four to a royal") << "Kh Qh Jh Th 2s";
        if (!kFullRun)
            return;
        QTest::newRow("pairs and a flush draw") << "4h 4c 7h 7c 2h";
        QTest::newRow("nothing at all") << "2c 3d 4h 7s 9c";
        QTest::newRow("four of a kind") << "9c 9d 9h 9s Ac";
        QTest::newRow("wheel draw") << "Ad 2d 3c 4s Kh";
    }
    void holdCountsMatchLiteralBruteForce()
    {
        QFETCH(QString, hand);
        const std::array<int, 5> dealt = Deal(hand);
        HoldTable fast;
        CountDraws(Tables(), dealt, fast);
        QVERIFY(fast == BruteForce(dealt));
    }

    // Best holds and their exact returns; the fractions come from a brute
    // force of every draw, and the 9/6 ones match the published strategy.
    void bestHold_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::addColumn<QString>("pays");
        QTest::addColumn<QString>("held");
        QTest::addColumn<qint64>("paid");
        QTest::addColumn<qint64>("draws");
        const QString nineSix = "800,50,25,9,6,4,3,2,1";
        QTest::newRow("four to a royal") << "Kh Qh Jh Th 2s"
                                         << ""
                                         << "Kh Qh Jh Th" << 688LL << 47LL;
        QTest::newRow("four to a royal over a made suit") << "Kh Qh Jh Th 2h"
                                                          << ""
                                                          << "Kh Qh Jh Th" << 681LL << 47LL;
        QTest::newRow("9/6: four to a royal over a made flush")
            << "Kh Qh Jh Th 2h" << nineSix << "Kh Qh Jh Th" << 919LL << 47LL;
        QTest::newRow("ace high four to a royal over a suit") << "As Ks Qs Js 9s"
                                                              << ""
                                                              << "As Ks Qs Js" << 576LL << 47LL;
        QTest::newRow("pair of jacks") << "Jc Js 4d 8h 2c"
                                       << ""
                                       << "Jc Js" << 26205LL << 16215LL;
        QTest::newRow("9/6: pair of jacks")
            << "Jc Js 4d 8h 2c" << nineSix << "Jc Js" << 24915LL << 16215LL;
        QTest::newRow("9/6: high pair over three to a royal")
            << "As Ks Qs Ad 5c" << nineSix << "As Ad" << 24915LL << 16215LL;
        QTest::newRow("dealt royal keeps all") << "Ts Js Qs Ks As"
                                               << ""
                                               << "Ts Js Qs Ks As" << 500LL << 1LL;
        QTest::newRow("dealt full house keeps all") << "7c 7d 7h Kc Ks"
                                                    << ""
                                                    << "7c 7d 7h Kc Ks" << 10LL << 1LL;
        QTest::newRow("nine to jack ties with eight to jack: fewer cards")
            << "9c Tc Jc 8d Ah"
            << ""
            << "9c Tc Jc" << 989LL << 1081LL;
        QTest::newRow("the same tie, cards in another order") << "Ah 8d Jc Tc 9c"
                                                              << ""
                                                              << "Jc Tc 9c" << 989LL << 1081LL;
        QTest::newRow("four of a kind ties with keeping the kicker: fewer cards")
            << "2c 2d 2h 2s 9c"
            << ""
            << "2c 2d 2h 2s" << 2350LL << 47LL;
        QTest::newRow("four to a suit over a low pair") << "4h 4c 7h Th 2h"
                                                        << ""
                                                        << "4h 7h Th 2h" << 63LL << 47LL;
        QTest::newRow("9/6: four to a flush over a low pair")
            << "4h 4c 7h Th 2h" << nineSix << "4h 7h Th 2h" << 54LL << 47LL;
        QTest::newRow("open straight flush draw") << "5h 6h 7h 8h 2c"
                                                  << ""
                                                  << "5h 6h 7h 8h" << 279LL << 47LL;
        QTest::newRow("9/6: open straight")
            << "3c 4d 5h 6s Kc" << nineSix << "3c 4d 5h 6s" << 32LL << 47LL;
        QTest::newRow("lone jack") << "2c 5d 8h Js 4c"
                                   << ""
                                   << "Js" << 89687LL << 178365LL;
        QTest::newRow("9/6: lone jack")
            << "2c 5d 8h Js 4c" << nineSix << "Js" << 86866LL << 178365LL;
        QTest::newRow("nothing: draw five") << "2c 3d 4h 7s 9c"
                                            << ""
                                            << "" << 572344LL << 1533939LL;
        QTest::newRow("9/6: nothing, draw five")
            << "2c 3d 4h 7s 9c" << nineSix << "" << 553014LL << 1533939LL;
    }
    void bestHold()
    {
        QFETCH(QString, hand);
        QFETCH(QString, pays);
        QFETCH(QString, held);
        QFETCH(qint64, paid);
        QFETCH(qint64, draws);
        const std::array<int, 5> dealt = Deal(hand);
        const PayVector table = Pays(pays);
        HoldTable counts;
        CountDraws(Tables(), dealt, counts);
        const unsigned best = BestHold(counts, table);
        QCOMPARE(Held(dealt, best), held);
        QCOMPARE(DrawsFor(best), draws);
        QCOMPARE(ScaledReturn(counts[best], best, table), paid * (kReturnDenominator / draws));
        // The report lists the same hold first, and never a better one below.
        const auto order = RankHolds(counts, table);
        QCOMPARE(order[0], best);
        for (std::size_t i = 1; i < order.size(); ++i)
            QVERIFY(ScaledReturn(counts[order[i - 1]], order[i - 1], table) >=
                    ScaledReturn(counts[order[i]], order[i], table));
    }

    void exactReturn_data()
    {
        QTest::addColumn<QString>("pays");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<double>("published"); // 0: none
        QTest::newRow("the game's table") << ""
                                          << "1.0898208284" << 0.0;
        if (!kFullRun)
            return;
        QTest::newRow("full-pay 9/6 jacks or better") << "800,50,25,9,6,4,3,2,1"
                                                      << "0.9954390437" << 0.995439;
        QTest::newRow("8/5 jacks or better") << "800,50,25,8,5,4,3,2,1"
                                             << "0.9729843375" << 0.972984;
        QTest::newRow("nothing pays") << "0,0,0,0,0,0,0,0,0"
                                      << "0.0000000000" << 0.0;
    }
    void exactReturn()
    {
        QFETCH(QString, pays);
        QFETCH(QString, expected);
        QFETCH(double, published);
        const ReturnTotals totals = ComputeReturn(Tables(), Pays(pays), 2);
        QCOMPARE(
            QString::fromStdString(FormatFraction(totals.paid, totals.denominator(), 10)),
            expected);
        if (published > 0)
            QVERIFY(std::abs(totals.returnValue() - published) < 5e-7);
        Wide rows = 0;
        for (const Wide r : totals.rows)
            rows += r;
        QVERIFY(rows == totals.denominator()); // every deal ends in one row
    }

    void threadCountNeverChangesTheReturn()
    {
        if (!kFullRun)
            QSKIP("two full runs are too slow unoptimized");
        const ReturnTotals one = ComputeReturn(Tables(), GamePays(), 1);
        const ReturnTotals three = ComputeReturn(Tables(), GamePays(), 3);
        QVERIFY(one.paid == three.paid);
        QVERIFY(one.rows == three.rows);
    }

    void formatFraction_data()
    {
        QTest::addColumn<qint64>("num");
        QTest::addColumn<qint64>("den");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("two thirds") << 2LL << 3LL << 3 << "0.667";
        QTest::newRow("half up") << 1LL << 8LL << 2 << "0.13";
        QTest::newRow("carry into the whole") << 9999LL << 10000LL << 2 << "1.00";
        QTest::newRow("zero") << 0LL << 7LL << 4 << "0.0000";
        QTest::newRow("no decimals") << 688LL << 47LL << 0 << "15";
    }
    void formatFraction()
    {
        QFETCH(qint64, num);
        QFETCH(qint64, den);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(FormatFraction(num, den, decimals)), text);
    }

    void paysParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("game") << "500,100,50,10,7,5,3,2,1" << true;
        QTest::newRow("blanks") << "800, 50, 25, 9, 6, 4, 3, 2, 1" << true;
        QTest::newRow("eight") << "500,100,50,10,7,5,3,2" << false;
        QTest::newRow("ten") << "500,100,50,10,7,5,3,2,1,1" << false;
        QTest::newRow("negative") << "500,100,50,10,7,5,3,2,-1" << false;
        QTest::newRow("fraction") << "500,100,50,10,7,5,3,2,1.5" << false;
        QTest::newRow("too large") << "5000000,100,50,10,7,5,3,2,1" << false;
        QTest::newRow("empty field") << "500,,50,10,7,5,3,2,1" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("trailing comma") << "500,100,50,10,7,5,3,2,1," << false;
    }
    void paysParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        std::string error;
        const auto pays = ParsePays(text.toStdString(), error);
        QCOMPARE(pays.has_value(), valid);
        QCOMPARE(error.empty(), valid);
        if (valid)
            QCOMPARE(ParsePays(FormatPays(*pays), error), pays);
    }

    void gamePaysAreThePayTable()
    {
        QCOMPARE(QString::fromStdString(FormatPays(GamePays())),
                 QStringLiteral("500,100,50,10,7,5,3,2,1"));
        for (const hands::PayRow& row : hands::kPayTable)
            QCOMPARE(GamePays()[static_cast<std::size_t>(row.hand)], std::int64_t(row.multiplier));
    }
};

QTEST_APPLESS_MAIN(TestOddsExact)
#include "test_odds.moc"
