#include "odds_test_helpers.h"

class TestOddsRuin : public QObject
{
    Q_OBJECT

  private slots:
    // A table that pays nothing takes one bet a hand: five bets are gone after
    // five hands, and the band of live levels with them. The run still
    // answers for all the hands asked, and is no stopped run.
    void ruinOfAnEmptiedBandCoversEveryHand()
    {
        const Run run = RunCommand({"ruin", "--bankroll", "5", "--bet", "1", "--hands", "100",
                                    "--pays", "0,0,0,0,0,0,0,0,0", "--json"});
        QCOMPARE(run.code, kExitOk);
        const QJsonObject doc = JsonOf(run);
        QCOMPARE(doc["hands"].toInt(), 100);
        QCOMPARE(doc["ruin"].toDouble(), 1.0);
    }

    // Outcome sets small enough to work out by hand: the chance of ruin and the
    // bankroll's 5 %, 50 % and 95 % points.
    void ruinOfTinyOutcomeSets_data()
    {
        QTest::addColumn<int>("plays");
        QTest::addColumn<QList<int>>("nets");
        QTest::addColumn<QList<double>>("chances");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("hands");
        QTest::addColumn<double>("ruin");
        QTest::addColumn<QList<qint64>>("points");
        const double third = 1.0 / 3;
        // 1 or 3 left.
        QTest::newRow("+-1 from 2, one hand")
            << 1 << QList<int>{-1, 1} << QList<double>{0.5, 0.5} << qint64(2) << qint64(1) << 0.0
            << QList<qint64>{1, 1, 3};
        QTest::newRow("-1/0/+1 from 5, one hand")
            << 1 << QList<int>{-1, 0, 1} << QList<double>{third, third, third} << qint64(5)
            << qint64(1) << 0.0 << QList<qint64>{4, 5, 6};
        // Broke after the first hand stays broke: 0 (1/2), 1 (1/4), 3 (1/4).
        QTest::newRow("+-1 from 1, two hands")
            << 1 << QList<int>{-1, 1} << QList<double>{0.5, 0.5} << qint64(1) << qint64(2) << 0.5
            << QList<qint64>{0, 0, 3};
        // Two plays: 1 unit left cannot bet both.
        QTest::newRow("two plays, -2/0/+2 from 3")
            << 2 << QList<int>{-2, 0, 2} << QList<double>{third, third, third} << qint64(3)
            << qint64(1) << third << QList<qint64>{1, 3, 5};
        // A bankroll far above the spread gives the same points, shifted.
        QTest::newRow("-1/0/+1 from a million")
            << 1 << QList<int>{-1, 0, 1} << QList<double>{third, third, third} << qint64(1000000)
            << qint64(1) << 0.0 << QList<qint64>{999999, 1000000, 1000001};
        // Lose twice, one of each, win twice: 0, 2, 4 at 1/4, 1/2, 1/4.
        QTest::newRow("+-1 from 2, two hands")
            << 1 << QList<int>{-1, 1} << QList<double>{0.5, 0.5} << qint64(2) << qint64(2) << 0.25
            << QList<qint64>{0, 2, 4};
    }
    void ruinOfTinyOutcomeSets()
    {
        QFETCH(int, plays);
        QFETCH(QList<int>, nets);
        QFETCH(QList<double>, chances);
        QFETCH(qint64, start);
        QFETCH(qint64, hands);
        QFETCH(double, ruin);
        QFETCH(QList<qint64>, points);
        const RoundOutcomes round{
            plays, {nets.begin(), nets.end()}, {chances.begin(), chances.end()}};
        const RuinResult result = ComputeRuin(round, start, hands);
        QVERIFY2(std::abs(result.ruin - ruin) < 1e-15, qPrintable(QString::number(result.ruin)));
        QCOMPARE((QList<qint64>{result.low, result.median, result.high}), points);
    }

    // One backward pass gives the chance of ruin from every bankroll: each
    // against the forward walk from that bankroll, within both error bounds;
    // and where nothing pays, exactly: broke within H hands from b bets iff b <= H.
    void ruinCurveMatchesTheWalk_data()
    {
        QTest::addColumn<QString>("pays");
        QTest::addColumn<qint64>("hands");
        QTest::newRow("9/6, 300 hands") << "800,50,25,9,6,4,3,2,1" << qint64{300};
        QTest::newRow("game, 120 hands") << "" << qint64{120};
        QTest::newRow("only pairs pay, 200 hands") << "0,0,0,0,0,0,0,0,2" << qint64{200};
        QTest::newRow("nothing pays, 10 hands") << "0,0,0,0,0,0,0,0,0" << qint64{10};
    }
    void ruinCurveMatchesTheWalk()
    {
        QFETCH(QString, pays);
        QFETCH(qint64, hands);
        const RoundOutcomes round = SingleHandOutcomes(ComputeReturn(Tables(), Pays(pays), 2));
        const RuinCurve curve = ComputeRuinCurve(round, hands);
        QCOMPARE(curve.hands, hands);
        const bool nothingPays = pays == "0,0,0,0,0,0,0,0,0";
        for (const std::int64_t units : {1, 2, 3, 5, 9, 10, 11, 20, 40, 80, 160}) {
            const double fromCurve = units < static_cast<std::int64_t>(curve.ruin.size())
                                         ? curve.ruin[static_cast<std::size_t>(units)]
                                         : 0.0;
            if (nothingPays) {
                QCOMPARE(fromCurve, units <= hands ? 1.0 : 0.0);
                continue;
            }
            const RuinResult walk = ComputeRuin(round, units, hands);
            QVERIFY2(std::abs(fromCurve - walk.ruin) <= curve.errorBound + walk.errorBound + 1e-12,
                     qPrintable(QString("%1 bets: curve %2, walk %3")
                                    .arg(units)
                                    .arg(fromCurve, 0, 'g', 17)
                                    .arg(walk.ruin, 0, 'g', 17)));
        }
    }

    // A round of thousands of outcomes, as N-play has, steps by FFT: its ruin
    // chance and points against the plain sum over every level and outcome,
    // on one thread and on two.
    void ruinOfManyOutcomesMatchesPlainSums_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }
    void ruinOfManyOutcomesMatchesPlainSums()
    {
        QFETCH(int, threads);
        constexpr int kPlays = 2;
        constexpr int kOutcomes = 1500;
        constexpr std::int64_t kStart = 12;
        constexpr int kHands = 30;
        RoundOutcomes round{kPlays, {}, {}};
        double total = 0;
        for (int k = 0; k < kOutcomes; ++k) {
            // Mostly small losses and wins, now and then a long way up.
            const double chance = k == 0 ? 8.0 : (k < 6 ? 1.0 : 0.02 / k) * (1 + (k * 7 % 5));
            round.net.push_back(k - kPlays);
            round.chance.push_back(chance);
            total += chance;
        }
        for (double& chance : round.chance)
            chance /= total;

        std::vector<double> level(static_cast<std::size_t>(kStart + 1), 0.0);
        level.back() = 1;
        for (int hand = 0; hand < kHands; ++hand) {
            std::vector<double> next(level.size() + kOutcomes, 0.0);
            for (std::size_t y = 0; y < level.size(); ++y) {
                if (y < kPlays) { // broke: stays
                    next[y] += level[y];
                    continue;
                }
                for (int k = 0; k < kOutcomes; ++k)
                    next[y + static_cast<std::size_t>(k) - kPlays] +=
                        level[y] * round.chance[static_cast<std::size_t>(k)];
            }
            level = std::move(next);
        }
        const double broke = level[0] + level[1];
        const auto point = [&](double q) {
            double below = 0;
            for (std::size_t y = 0; y < level.size(); ++y)
                if ((below += level[y]) >= q)
                    return static_cast<qint64>(y);
            return qint64(-1);
        };

        const RuinResult result = ComputeRuin(round, kStart, kHands, threads);
        QVERIFY2(broke > 0.1 && broke < 0.9, qPrintable(QString::number(broke)));
        QVERIFY2(result.errorBound < 1e-9, qPrintable(QString::number(result.errorBound)));
        QVERIFY2(std::abs(result.ruin - broke) <= result.errorBound + 1e-15,
                 qPrintable(
                     QString("%1 against %2").arg(result.ruin, 0, 'g', 17).arg(broke, 0, 'g', 17)));
        QCOMPARE((QList<qint64>{result.low, result.median, result.high}),
                 (QList<qint64>{point(0.05), point(0.5), point(0.95)}));
    }

    // The chance of ever going broke against the gambler's ruin: a walk of
    // +-1 (or +-2, two plays) with chance p up, from y, is broke for ever
    // with chance ((1 - p) / p)^(descents needed), and surely when p <= 1/2.
    void everRuinOfSimpleWalks_data()
    {
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("step");
        QTest::addColumn<double>("up");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<double>("ruin");
        QTest::newRow("+-1, up 0.6, from 10")
            << 1 << 1 << 0.6 << qint64(10) << std::pow(2.0 / 3, 10);
        QTest::newRow("+-1, up 0.9, from 40")
            << 1 << 1 << 0.9 << qint64(40) << std::pow(1.0 / 9, 40);
        // Two plays: broke below 2, reached in 5 descents of 2 from 10 or 11.
        QTest::newRow("+-2, two plays, from 10")
            << 2 << 2 << 0.6 << qint64(10) << std::pow(2.0 / 3, 5);
        QTest::newRow("+-2, two plays, from 11")
            << 2 << 2 << 0.6 << qint64(11) << std::pow(2.0 / 3, 5);
        QTest::newRow("+-1, up 0.4: certain") << 1 << 1 << 0.4 << qint64(10) << 1.0;
        QTest::newRow("+-1, even: certain") << 1 << 1 << 0.5 << qint64(1000) << 1.0;
    }
    void everRuinOfSimpleWalks()
    {
        QFETCH(int, plays);
        QFETCH(int, step);
        QFETCH(double, up);
        QFETCH(qint64, start);
        QFETCH(double, ruin);
        const RoundOutcomes round{plays, {-step, step}, {1 - up, up}};
        const EverRuin ever = ComputeEverRuin(round, start, 2);
        QCOMPARE(ever.certain, ruin == 1.0);
        QVERIFY2(ever.errorBound < 1e-9, qPrintable(QString::number(ever.errorBound)));
        QVERIFY2(
            std::abs(ever.ruin - ruin) <= ever.errorBound + 1e-15 * ruin,
            qPrintable(QString("%1 against %2").arg(ever.ruin, 0, 'g', 17).arg(ruin, 0, 'g', 17)));
    }

    // Amounts in cents: a bankroll of so many bets plays as that many bets of
    // any size, and what cannot make a bet stays in every bankroll point.
    void ruinInCents()
    {
        const QStringList pays{"--pays", "800,50,25,9,6,4,3,2,1", "--json"};
        const QJsonObject quarters = JsonOf(RunCommand(
            QStringList{"ruin", "--bankroll", "200", "--bet", "1.25", "--hands", "1600"} + pays));
        const QJsonObject fives = JsonOf(RunCommand(
            QStringList{"ruin", "--bankroll", "800", "--bet", "5", "--hands", "1600"} + pays));
        QCOMPARE(quarters["ruin"].toDouble(), fives["ruin"].toDouble());
        QVERIFY(std::abs(quarters["ruin"].toDouble() - 0.0815) < 0.0005);
        QCOMPARE(quarters["bet"].toDouble(), 1.25);
        const QJsonObject spare = JsonOf(RunCommand(
            QStringList{"ruin", "--bankroll", "200.07", "--bet", "1.25", "--hands", "1600"} +
            pays));
        QCOMPARE(spare["ruin"].toDouble(), fives["ruin"].toDouble());
        const QJsonObject after = spare["bankroll_after"].toObject();
        const QJsonObject fivesAfter = fives["bankroll_after"].toObject();
        for (const char* point : {"p05", "median", "p95"})
            QCOMPARE(qRound64(after[point].toDouble() * 100),
                     qRound64(fivesAfter[point].toDouble() * 25) + 7);
    }

    // --risk gives the smallest bankroll in bets whose ruin is at most the
    // risk: one bet less is too little, and a plain run at it agrees.
    void riskFindsTheSmallestBankroll_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("game's table, for ever") << QStringList{"--hands", "inf", "--risk", "0.01"};
        QTest::newRow("9/6, 1600 hands")
            << QStringList{"--hands", "1600", "--risk", "0.05", "--pays", "800,50,25,9,6,4,3,2,1"};
    }
    void riskFindsTheSmallestBankroll()
    {
        QFETCH(QStringList, args);
        const QJsonObject risk =
            JsonOf(RunCommand(QStringList{"ruin", "--bet", "2", "--json"} + args));
        const qint64 bets = risk["bankroll_bets"].toInteger();
        QVERIFY(bets > 1);
        QVERIFY(risk["ruin"].toDouble() <= 0.05 &&
                risk["ruin"].toDouble() <= risk["risk"].toDouble());
        QVERIFY(risk["ruin_one_bet_less"].toDouble() > risk["risk"].toDouble());
        QCOMPARE(risk["bankroll"].toDouble(), 2.0 * bets);
        QStringList plain = args;
        plain.removeAt(plain.indexOf("--risk") + 1);
        plain.removeAt(plain.indexOf("--risk"));
        const QJsonObject run = JsonOf(RunCommand(
            QStringList{"ruin", "--bet", "2", "--bankroll", QString::number(2 * bets), "--json"} +
            plain));
        QCOMPARE(run["ruin"].toDouble(), risk["ruin"].toDouble());
    }

    // The exact ruin chance and bankroll points against hands really played:
    // a random deal, the best hold, a random draw, the game's evaluator.
    void ruinMatchesPlayedHands()
    {
        const PayVector pays = Pays("800,50,25,9,6,4,3,2,1");
        constexpr std::int64_t kStart = 6;
        constexpr std::int64_t kHands = 60;
        const RuinResult exact =
            ComputeRuin(SingleHandOutcomes(ComputeReturn(Tables(), pays, 2)), kStart, kHands);

        const int runs = kFullRun ? 40000 : 3000;
        const PaidTables paid(Tables(), pays);
        std::mt19937_64 gen(77);
        std::array<int, 52> deck{};
        std::iota(deck.begin(), deck.end(), 1);
        int broke = 0;
        int atOrBelowHigh = 0;
        int belowHigh = 0;
        std::string comment;
        for (int run = 0; run < runs; ++run) {
            std::int64_t bankroll = kStart;
            for (std::int64_t hand = 0; hand < kHands && bankroll >= 1; ++hand) {
                for (int i = 0; i < 10; ++i) // deal five, and five for the draw
                    std::swap(deck[static_cast<std::size_t>(i)],
                              deck[static_cast<std::size_t>(
                                  std::uniform_int_distribution<int>(i, 51)(gen))]);
                std::array<int, 5> cards{};
                std::copy_n(deck.begin(), 5, cards.begin());
                const unsigned hold = PlayBest(Tables(), paid, cards).hold;
                std::size_t next = 5;
                for (std::size_t i = 0; i < 5; ++i)
                    if (!(hold & (1u << i)))
                        cards[i] = deck[next++];
                const int row = static_cast<int>(hands::ClassifyHand(cards));
                bankroll += pays[row] - 1;
            }
            broke += bankroll < 1 ? 1 : 0;
            atOrBelowHigh += bankroll <= exact.high ? 1 : 0;
            belowHigh += bankroll < exact.high ? 1 : 0;
        }
        const auto share = [runs](int count) { return static_cast<double>(count) / runs; };
        const double error = std::sqrt(exact.ruin * (1 - exact.ruin) / runs);
        QVERIFY2(std::abs(share(broke) - exact.ruin) < 4.5 * error,
                 qPrintable(QString("played %1, exact %2").arg(share(broke)).arg(exact.ruin)));
        // The 95 % point: at least 95 % at or below it, less than 95 % below it.
        const double quantileError = std::sqrt(0.05 * 0.95 / runs);
        QVERIFY(share(atOrBelowHigh) > 0.95 - 4.5 * quantileError);
        QVERIFY(share(belowHigh) < 0.95 + 4.5 * quantileError);
        QVERIFY(exact.ruin > 0.2 && exact.ruin < 0.8); // a case that tells something
        QVERIFY(exact.errorBound < 1e-12);
    }

    // One round of N-play, built deal by deal, has the mean and spread that
    // the return's figures give: N (R - 1) and N x the N-play deviation^2.
    void playsRoundAgreesWithReturn_data()
    {
        QTest::addColumn<int>("plays");
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("24, from the round's spectrum") << 24;
        if (kFullRun)
            QTest::newRow("4") << 4;
    }
    void playsRoundAgreesWithReturn()
    {
        QFETCH(int, plays);
        const PayVector pays = Pays("800,50,25,9,6,4,3,2,1");
        const ReturnTotals totals = ComputeReturn(Tables(), pays, 2);
        const RoundOutcomes round = PlaysOutcomes(Tables(), pays, plays);
        double total = 0;
        double mean = 0;
        double square = 0;
        for (std::size_t i = 0; i < round.net.size(); ++i) {
            QVERIFY(round.net[i] >= -plays);
            total += round.chance[i];
            mean += round.chance[i] * round.net[i];
            square += round.chance[i] * round.net[i] * round.net[i];
        }
        QVERIFY2(std::abs(total - 1) < 1e-12 + round.error,
                 qPrintable(QString("%1, error %2").arg(total - 1).arg(round.error)));
        // Chances off by round.error in all move the moments by at most that
        // much times the largest net (or its square).
        const double top = round.net.back();
        QVERIFY(std::abs(mean - plays * (totals.returnValue() - 1)) < 1e-10 + round.error * top);
        const double deviation = static_cast<double>(totals.playsDeviation(plays));
        const double variance = plays * deviation * deviation;
        QVERIFY2(std::abs((square - mean * mean) - variance) <
                     1e-10 * variance + 3 * round.error * top * top,
                 qPrintable(QString::number(square - mean * mean - variance)));
        QVERIFY(round.error < 1e-9);
        if (plays == 1) {
            const RoundOutcomes single = SingleHandOutcomes(totals);
            QCOMPARE(round.net, single.net);
            for (std::size_t i = 0; i < round.net.size(); ++i)
                QVERIFY(std::abs(round.chance[i] - single.chance[i]) < 1e-12);
        }
    }
};

QTEST_APPLESS_MAIN(TestOddsRuin)
#include "test_odds_ruin.moc"
