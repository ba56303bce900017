#include "odds_test_helpers.h"

class TestOddsDeal : public QObject
{
    Q_OBJECT

  private slots:
    // A deck whose order is known: the discarded places, left to right, get
    // the cards from the top of the same deck.
    void playHandRefillsFromTheTop_data()
    {
        QTest::addColumn<int>("rotation");
        for (const int r : {0, 9, 17, 23, 30, 44, 51})
            QTest::newRow(qPrintable(QString::number(r))) << r;
    }
    void playHandRefillsFromTheTop()
    {
        QFETCH(int, rotation);
        FixedRandom random(static_cast<float>(rotation) / cards::kCardCount);
        cards::CardString expected(cards::kCardCount);
        std::iota(expected.begin(), expected.end(), 1);
        std::rotate(expected.begin(), expected.begin() + rotation, expected.end());

        cards::CardString deck;
        const PlayedHand hand = PlayHand(Tables(), PaidTables(Tables(), GamePays()), random, deck);
        QVERIFY(std::equal(hand.dealt.begin(), hand.dealt.end(), expected.begin()));
        HoldTable counts;
        CountDraws(Tables(), hand.dealt, counts);
        QCOMPARE(hand.hold, BestHold(counts, GamePays()));
        std::size_t next = 5;
        for (int i = 0; i < 5; ++i) {
            const int want = (hand.hold & (1u << i)) ? hand.dealt[static_cast<std::size_t>(i)]
                                                     : expected[next++];
            QCOMPARE(hand.final[static_cast<std::size_t>(i)], want);
        }
        QCOMPARE(deck.size(), std::size_t(cards::kCardCount) - next);
    }

    void simulationIgnoresThreadCount()
    {
        SimulationOptions options;
        options.hands = (kFullRun ? 3 : 1) * kSimulationBlock + 17;
        options.seed = 99;
        options.pays = GamePays();
        options.threads = 1;
        const SimulationTotals one = Simulate(Tables(), options);
        options.threads = 3;
        std::atomic<std::uint64_t> done{0};
        const SimulationTotals three = Simulate(Tables(), options, &done);
        QCOMPARE(done.load(), options.hands);
        QCOMPARE(one.hands, options.hands);
        QCOMPARE(one.paid, three.paid);
        QCOMPARE(one.dealt, three.dealt);
        QCOMPARE(one.made, three.made);
        options.seed = 100;
        QVERIFY(Simulate(Tables(), options).made != one.made);
    }

    // The fast path plays the very hands the game's own deck code deals, the
    // best hold picked as PlayBest picks it, ties between equal holds included.
    void simulationPlaysTheGamesHands_data()
    {
        QTest::addColumn<QString>("pays");
        QTest::newRow("game") << "";
        QTest::newRow("9/6") << "800,50,25,9,6,4,3,2,1";
        QTest::newRow("nothing pays: every hold ties") << "0,0,0,0,0,0,0,0,0";
        QTest::newRow("only pairs pay: many ties") << "0,0,0,0,0,0,0,0,1";
        QTest::newRow("only flushes pay: suit-swapped ties") << "0,0,0,0,1,0,0,0,0";
    }
    void simulationPlaysTheGamesHands()
    {
        QFETCH(QString, pays);
        SimulationOptions options;
        options.hands = (kFullRun ? 3 : 1) * kSimulationBlock;
        options.seed = 2026;
        options.pays = Pays(pays);
        options.threads = 2;
        const SimulationTotals fast = Simulate(Tables(), options);

        SimulationTotals literal;
        const PaidTables paid(Tables(), options.pays);
        for (std::uint64_t block = 0; block * kSimulationBlock < options.hands; ++block) {
            cards::SeededRandom random(BlockSeed(options.seed, block));
            cards::CardString deck;
            for (std::uint64_t n = 0; n < kSimulationBlock; ++n) {
                const PlayedHand hand = PlayHand(Tables(), paid, random, deck);
                ++literal.dealt[static_cast<int>(hands::ClassifyHand(hand.dealt))];
                const auto row = static_cast<int>(hands::ClassifyHand(hand.final));
                ++literal.made[row];
                literal.paid += static_cast<std::uint64_t>(options.pays[row]);
            }
        }
        QCOMPARE(fast.dealt, literal.dealt);
        QCOMPARE(fast.made, literal.made);
        QCOMPARE(fast.paid, literal.paid);
    }

    // Totals recorded from the analyzer before its simulation was sped up.
    void simulationKeepsRecordedTotals_data()
    {
        using Rows = RowTotals;
        QTest::addColumn<QString>("pays");
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<quint64>("hands");
        QTest::addColumn<quint64>("paid");
        QTest::addColumn<Rows>("made"); // top of the table down
        QTest::addColumn<Rows>("dealt");
        QTest::newRow("only pairs pay, seed 11")
            << "0,0,0,0,0,0,0,0,1" << quint64(11) << quint64(20000) << quint64(7242)
            << Rows{2, 4, 3, 28, 81, 135, 292, 845, 7242, 11368}
            << Rows{1, 8, 3, 23, 148, 173, 358, 920, 2567, 15799};
        if (!kFullRun)
            return;
        QTest::newRow("9/6, seed 5")
            << "800,50,25,9,6,4,3,2,1" << quint64(5) << quint64(50000) << quint64(63111)
            << Rows{9, 92, 78, 545, 1420, 1063, 3303, 5841, 10093, 27556}
            << Rows{0, 30, 6, 54, 367, 455, 912, 2234, 6256, 39686};
        QTest::newRow("game, seed 42")
            << "" << quint64(42) << quint64(100000) << quint64(144090)
            << Rows{18, 208, 171, 979, 3357, 2325, 6472, 11349, 18712, 56409}
            << Rows{2, 65, 19, 135, 671, 857, 1718, 4454, 12424, 79655};
    }
    void simulationKeepsRecordedTotals()
    {
        using Rows = RowTotals;
        QFETCH(QString, pays);
        QFETCH(quint64, seed);
        QFETCH(quint64, hands);
        QFETCH(quint64, paid);
        QFETCH(Rows, made);
        QFETCH(Rows, dealt);
        SimulationOptions options;
        options.hands = hands;
        options.seed = seed;
        options.pays = Pays(pays);
        options.threads = 2;
        const SimulationTotals totals = Simulate(Tables(), options);
        QCOMPARE(totals.paid, paid);
        const std::vector<int> rows = JacksFamily().rowsTopDown();
        for (std::size_t k = 0; k < rows.size(); ++k) {
            QCOMPARE(totals.made[static_cast<std::size_t>(rows[k])], made[k]);
            QCOMPARE(totals.dealt[static_cast<std::size_t>(rows[k])], dealt[k]);
        }
    }

    // The game's deal with every link chance zero is a fair deck: the run
    // model then gives each hold its exact fair return.
    void gameDealWithoutLinksIsFair_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::newRow("royal draw") << "Kh Qh 7c 3d Jh";
        QTest::newRow("dealt runs") << "9h Th Jh 2c 3c";
        QTest::newRow("two pair") << "5s 5d 9c 9h Ks";
        QTest::newRow("king of spades last") << "2c 7d 9s Qh Ks";
        QTest::newRow("junk") << "2c 7d 9s 4h Jd";
    }
    void gameDealWithoutLinksIsFair()
    {
        QFETCH(QString, hand);
        const std::array<int, 5> dealt = Deal(hand);
        const PayVector pays = GamePays();
        const PaidTables paid(Tables(), pays);
        const HoldValues values = GameDeal(paid, DealModel{}).values(dealt);
        HoldTable table;
        CountDraws(Tables(), dealt, table);
        for (unsigned h = 0; h < kHoldCount; ++h) {
            const double fair = static_cast<double>(ScaledReturn(table[h], h, pays)) /
                                static_cast<double>(kReturnDenominator);
            QVERIFY2(std::abs(values[h] - fair) < 1e-12,
                     qPrintable(QString("hold %1: %2 against %3").arg(h).arg(values[h]).arg(fair)));
        }
    }

    // The run model as hand --help states it, followed literally: every
    // pattern of links, card 5's run, one new run at each free card, then
    // every set of singles from what is left, each final hand classified by
    // the evaluator. Drawing up to three cards it counts a few thousand hands.
    static double RunModelValue(const std::array<int, 5>& dealt, unsigned hold,
                                const DealModel& model, const PayVector& pays)
    {
        std::vector<int> held;
        for (int p = 0; p < 5; ++p)
            if (hold & (1u << p))
                held.push_back(dealt[static_cast<std::size_t>(p)]);
        const int m = 5 - static_cast<int>(held.size());
        double total = 0;
        for (unsigned links = 0; links < (1u << m); ++links) {
            const auto linkedAt = [&](int k) { return k < m && (links & (1u << k)) != 0; };
            std::vector<int> drawn;
            const auto isFree = [&](int c) {
                return std::find(dealt.begin(), dealt.end(), c) == dealt.end() &&
                       std::find(drawn.begin(), drawn.end(), c) == drawn.end();
            };
            const auto freeCards = [&] {
                std::vector<int> pool;
                for (int c = 1; c <= 52; ++c)
                    if (isFree(c))
                        pool.push_back(c);
                return pool;
            };
            std::function<void(int, int, bool, int, double)> lay = [&](int i, int last,
                                                                       bool runLaid, int singles,
                                                                       double weight) {
                if (i == m) {
                    const std::vector<int> pool = freeCards();
                    double sum = 0;
                    double count = 0;
                    std::vector<int> hand = held;
                    hand.insert(hand.end(), drawn.begin(), drawn.end());
                    std::function<void(std::size_t, int)> pick = [&](std::size_t from, int left) {
                        if (left == 0) {
                            const hands::Hand5 five(hand.data(), 5);
                            sum += static_cast<double>(
                                pays[static_cast<int>(hands::ClassifyHand(five))]);
                            count += 1;
                            return;
                        }
                        for (std::size_t k = from; k < pool.size(); ++k) {
                            hand.push_back(pool[k]);
                            pick(k + 1, left - 1);
                            hand.pop_back();
                        }
                    };
                    pick(0, singles);
                    total += weight * sum / count;
                    return;
                }
                const int successor = last % 52 + 1; // the King of spades: the Ace of clubs
                if (linkedAt(i) && last != 0 && isFree(successor)) {
                    drawn.push_back(successor);
                    lay(i + 1, successor, runLaid, singles, weight);
                    drawn.pop_back();
                } else if (!runLaid && linkedAt(i + 1)) {
                    const std::vector<int> pool = freeCards();
                    for (const int c : pool) {
                        drawn.push_back(c);
                        lay(i + 1, c, true, singles, weight / static_cast<double>(pool.size()));
                        drawn.pop_back();
                    }
                } else {
                    lay(i + 1, 0, runLaid, singles + 1, weight);
                }
            };
            double weight = 1;
            for (int i = 0; i < m; ++i)
                weight *= linkedAt(i) ? model.link[static_cast<std::size_t>(i)]
                                      : 1 - model.link[static_cast<std::size_t>(i)];
            lay(0, dealt[4], false, 0, weight);
        }
        return total;
    }

    // Links made large, so that runs meet dealt cards and each other often.
    void gameDealMatchesTheRunModel_data()
    {
        QTest::addColumn<QString>("hand");
        QTest::addColumn<QString>("pays");
        // Drawing four or five cards counts 10^5 to 10^6 hands a hold.
        QTest::addColumn<int>("mostDrawn");
        const int many = kFullRun ? 4 : 3;
        QTest::newRow("successor of card 5 dealt") << "Kh Qh 7c 3d Jh"
                                                   << "" << many;
        QTest::newRow("dealt runs, run to a royal") << "9h Th Jh 2c 3c"
                                                    << "" << many;
        QTest::newRow("king of spades to the ace of clubs") << "2c 7d 9s Qh Ks"
                                                            << "" << many;
        QTest::newRow("runs blocked by the deal") << "4s 6s 7s 8s 5s"
                                                  << "" << many;
        QTest::newRow("9/6, junk, all drawn") << "2c 7d 9s 4h Jd"
                                              << "800,50,25,9,6,4,3,2,1" << (kFullRun ? 5 : 3);
    }
    void gameDealMatchesTheRunModel()
    {
        QFETCH(QString, hand);
        QFETCH(QString, pays);
        QFETCH(int, mostDrawn);
        const std::array<int, 5> dealt = Deal(hand);
        const PayVector table = Pays(pays);
        const DealModel model{{0.4, 0.3, 0.5, 0.2, 0.6}};
        const PaidTables paid(Tables(), table);
        const HoldValues values = GameDeal(paid, model).values(dealt);
        for (unsigned h = 0; h < kHoldCount; ++h) {
            if (5 - std::popcount(h) > mostDrawn)
                continue;
            const double literal = RunModelValue(dealt, h, model, table);
            QVERIFY2(std::abs(values[h] - literal) < 1e-12 * std::max(1.0, literal),
                     qPrintable(QString("hold %1: %2 against %3")
                                    .arg(h)
                                    .arg(values[h], 0, 'g', 17)
                                    .arg(literal, 0, 'g', 17)));
        }
    }

    // The link chances shipped with the analyzer are the game's shuffle's: a
    // fresh count on other decks agrees within five standard errors, and is
    // far from a fair deck's, where a successor follows one time in 51.
    void shippedLinksMatchTheShuffle()
    {
        cards::SeededRandom random(2027);
        const LinkMeasure fresh = MeasureLinks(random, kFullRun ? 400000 : 60000);
        for (std::size_t k = 0; k < fresh.free.size(); ++k) {
            const double shipped =
                static_cast<double>(kMeasuredNext[k]) / static_cast<double>(kMeasuredFree[k]);
            const double seen =
                static_cast<double>(fresh.next[k]) / static_cast<double>(fresh.free[k]);
            const double error =
                std::sqrt(shipped * (1 - shipped) / static_cast<double>(fresh.free[k]));
            QVERIFY2(
                std::abs(seen - shipped) < 5 * error,
                qPrintable(
                    QString("after place %1: %2 against %3").arg(k + 1).arg(seen).arg(shipped)));
            QVERIFY(seen > 5.0 / 51);
        }
    }

    // The model's link for drawn card i (deck place 6 + i) is the measured
    // chance that the successor comes next, less what a uniform pick among the
    // 47 - i unseen cards gives it anyway: the five dealt and i drawn are seen.
    void gameDealLinksCountTheUnseenCards()
    {
        const DealModel model = GameDealModel();
        for (int i = 0; i < 5; ++i) {
            const auto k = static_cast<std::size_t>(4 + i);
            const double measured =
                static_cast<double>(kMeasuredNext[k]) / static_cast<double>(kMeasuredFree[k]);
            const double link = model.link[static_cast<std::size_t>(i)];
            const double unseen = 52 - 5 - i;
            QVERIFY2(std::abs(link + (1 - link) / unseen - measured) < 1e-12,
                     qPrintable(QString("drawn card %1: link %2").arg(i + 1).arg(link)));
        }
    }

    // simulate --play game plays, deal by deal, the best hold that hand
    // --deal game names first, and sets the fair deck's best hold beside it
    // on the very same deals.
    void simulationPlaysTheGameDealsBestHold()
    {
        SimulationOptions options;
        options.hands = kFullRun ? 300 : 40;
        options.seed = 7;
        options.pays = GamePays();
        options.threads = 2;
        options.play = DealKind::Game;
        const SimulationTotals totals = Simulate(Tables(), options);

        const PaidTables paid(Tables(), options.pays);
        cards::SeededRandom random(BlockSeed(options.seed, 0));
        SimulationTotals literal;
        int differ = 0;
        for (std::uint64_t n = 0; n < options.hands; ++n) {
            const std::array<int, 10> top = ShuffledTop(random);
            std::array<int, 5> dealt{};
            std::copy_n(top.begin(), 5, dealt.begin());
            QStringList args{"hand", "--deal", "game", "--json"};
            for (const int card : dealt)
                args << QString::fromStdString(cards::CardNotation(card));
            const QJsonObject doc = JsonOf(RunCommand(args));
            const auto game = static_cast<unsigned>(doc["holds"][0].toObject()["mask"].toInt());
            const unsigned fair = PlayBest(Tables(), paid, dealt).hold;
            differ += game != fair ? 1 : 0;
            const auto play = [&](unsigned hold) {
                std::array<int, 5> hand = dealt;
                std::size_t next = 5;
                for (std::size_t place = 0; place < 5; ++place)
                    if (!(hold & (1u << place)))
                        hand[place] = top[next++];
                return static_cast<int>(hands::ClassifyHand(hand));
            };
            ++literal.made[play(game)];
            literal.paid += static_cast<std::uint64_t>(options.pays[play(game)]);
            literal.fairPaid += static_cast<std::uint64_t>(options.pays[play(fair)]);
        }
        QVERIFY(differ > 0);
        QCOMPARE(totals.made, literal.made);
        QCOMPARE(totals.paid, literal.paid);
        QCOMPARE(totals.fairPaid, literal.fairPaid);
        QCOMPARE(totals.gained, static_cast<std::int64_t>(literal.paid - literal.fairPaid));
    }
};

QTEST_APPLESS_MAIN(TestOddsDeal)
#include "test_odds_deal.moc"
