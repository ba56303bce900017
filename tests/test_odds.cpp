#include "all_hands.h"
#include "card_code.h"
#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "game_deal.h"
#include "game_deal_links.h"
#include "hold_analysis.h"
#include "odds_command.h"
#include "odds_report.h"
#include "odds_support.h"
#include "pay_text.h"
#include "random.h"
#include "ruin.h"
#include "game_shuffle.h"
#include "simulation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <bit>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <csignal>
#include <unistd.h>

using namespace odds;

using RowTotals = std::array<std::uint64_t, odds::kClassCount>;
Q_DECLARE_METATYPE(RowTotals)

namespace {

using odds_test::Deal;
using odds_test::kFullRun;
using odds_test::PlayHand;
using odds_test::PlayedHand;
using odds_test::Pays;
using odds_test::Tables;

// The held cards of a hold, written as the command writes them.
QString Held(const std::array<int, 5>& dealt, unsigned hold)
{
    cards::CardString held;
    for (int i = 0; i < 5; ++i)
        if (hold & (1u << i))
            held.push_back(dealt[static_cast<std::size_t>(i)]);
    return QString::fromStdString(cards::FormatCards(held));
}

// Every five-card hand in one fixed order, classified by the game's evaluator.
const std::vector<std::uint8_t>& EveryHandClassified()
{
    static const std::vector<std::uint8_t> rows = [] {
        std::vector<std::uint8_t> out;
        out.reserve(kDealCount);
        std::string comment;
        hands::ForEachHand([&](const std::array<int, 5>& h) {
            const int pays = hands::EvaluateHand(h, comment);
            int row = 0;
            while (hands::kPayTable[static_cast<std::size_t>(row)].multiplier != pays)
                ++row;
            out.push_back(static_cast<std::uint8_t>(row));
        });
        return out;
    }();
    return rows;
}

// Every draw of every hold, by enumeration: each final hand of the 52 cards
// belongs to exactly the hold made of the dealt cards it contains.
HoldTable EnumerateDraws(const std::array<int, 5>& dealt)
{
    std::array<unsigned, 53> place{};
    for (int i = 0; i < 5; ++i)
        place[static_cast<std::size_t>(dealt[static_cast<std::size_t>(i)])] = 1u << i;
    const std::vector<std::uint8_t>& rows = EveryHandClassified();
    HoldTable table{};
    std::size_t n = 0;
    for (int a = 1; a <= 48; ++a)
        for (int b = a + 1; b <= 49; ++b)
            for (int c = b + 1; c <= 50; ++c) {
                const unsigned abc = place[a] | place[b] | place[c];
                for (int d = c + 1; d <= 51; ++d)
                    for (int e = d + 1; e <= 52; ++e)
                        ++table[abc | place[d] | place[e]][rows[n++]];
            }
    return table;
}

// The literal way: every hold, every draw from the 47 cards left, each final
// hand given to EvaluateHand.
HoldTable BruteForce(const std::array<int, 5>& dealt)
{
    std::vector<int> stub;
    for (int c = 1; c <= 52; ++c)
        if (std::find(dealt.begin(), dealt.end(), c) == dealt.end())
            stub.push_back(c);
    HoldTable table{};
    std::string comment;
    for (unsigned hold = 0; hold < kHoldCount; ++hold) {
        std::vector<int> open;
        for (int i = 0; i < 5; ++i)
            if (!(hold & (1u << i)))
                open.push_back(i);
        const int k = static_cast<int>(open.size());
        std::vector<int> pick(static_cast<std::size_t>(k));
        std::iota(pick.begin(), pick.end(), 0);
        while (true) {
            std::array<int, 5> final = dealt;
            for (int j = 0; j < k; ++j)
                final[static_cast<std::size_t>(open[static_cast<std::size_t>(j)])] =
                    stub[static_cast<std::size_t>(pick[static_cast<std::size_t>(j)])];
            const int pays = hands::EvaluateHand(final, comment);
            int row = 0;
            while (hands::kPayTable[static_cast<std::size_t>(row)].multiplier != pays)
                ++row;
            ++table[hold][row];
            // Next k-combination of the 47 stub positions.
            int j = k - 1;
            while (j >= 0 && pick[static_cast<std::size_t>(j)] == kStubSize - k + j)
                --j;
            if (j < 0)
                break;
            ++pick[static_cast<std::size_t>(j)];
            for (int m = j + 1; m < k; ++m)
                pick[static_cast<std::size_t>(m)] = pick[static_cast<std::size_t>(m - 1)] + 1;
        }
    }
    return table;
}

std::array<int, 5> RandomDeal(std::mt19937_64& gen)
{
    std::array<int, 52> deck{};
    std::iota(deck.begin(), deck.end(), 1);
    std::array<int, 5> dealt{};
    for (int i = 0; i < 5; ++i) {
        std::uniform_int_distribution<int> pick(i, 51);
        std::swap(deck[static_cast<std::size_t>(i)], deck[static_cast<std::size_t>(pick(gen))]);
        dealt[static_cast<std::size_t>(i)] = deck[static_cast<std::size_t>(i)];
    }
    return dealt;
}

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run RunCommand(const QStringList& args)
{
    std::vector<std::string> argv;
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    std::ostringstream out;
    std::ostringstream err;
    Run run;
    run.code = RunOddsCommand(argv, out, err);
    run.out = QString::fromStdString(out.str());
    run.err = QString::fromStdString(err.str());
    return run;
}

QJsonObject JsonOf(const Run& run)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "JSON error" << error.errorString() << "at" << error.offset;
    return doc.object();
}

// Plays back one cut value over and over, as the shuffle asks for them.
class FixedRandom final : public cards::Random
{
  public:
    explicit FixedRandom(float value) : m_value(value) {}
    float next() override
    {
        // The first cut of a shuffle rotates; every other pair is (0, 0), a no-op.
        const float v = (m_count++ % (2 * cards::kCardCount)) == 1 ? m_value : 0.0f;
        return v;
    }
    void reseed() override {}

  private:
    float m_value;
    int m_count = 0;
};

} // namespace

class TestOdds : public QObject
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
            QString::fromStdString(FormatFraction(totals.paid, ReturnTotals::Denominator(), 10)),
            expected);
        if (published > 0)
            QVERIFY(std::abs(totals.returnValue() - published) < 5e-7);
        Wide rows = 0;
        for (const Wide r : totals.rows)
            rows += r;
        QVERIFY(rows == ReturnTotals::Denominator()); // every deal ends in one row
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
        for (std::size_t k = 0; k < kRowsTopDown.size(); ++k) {
            QCOMPARE(totals.made[static_cast<int>(kRowsTopDown[k])], made[k]);
            QCOMPARE(totals.dealt[static_cast<int>(kRowsTopDown[k])], dealt[k]);
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
        options.play = SimulatedPlay::Game;
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

    // The gain is the play's return less the fair best's on the same deals,
    // and nothing when the play is the fair best.
    void simulateGameJson_data()
    {
        QTest::addColumn<QString>("play");
        QTest::newRow("game") << "game";
        QTest::newRow("fair") << "fair";
    }
    void simulateGameJson()
    {
        QFETCH(QString, play);
        const QJsonObject doc = JsonOf(
            RunCommand({"simulate", "--hands", "300", "--seed", "5", "--play", play, "--json"}));
        QCOMPARE(doc["play"].toString(), play);
        const double observed = doc["return"].toObject()["observed"].toDouble();
        const double fair = doc["fair_best_return"].toDouble();
        QVERIFY(std::abs(doc["gain"].toDouble() - (observed - fair)) < 1e-12);
        if (play == "fair") {
            QCOMPARE(fair, observed);
            QCOMPARE(doc["gain_standard_error"].toDouble(), 0.0);
        } else {
            QVERIFY(doc["gain_standard_error"].toDouble() > 0);
        }
    }

    void commandRejectsBadInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"odds"};
        QTest::newRow("four cards") << QStringList{"hand", "Kh Qh Jh Th"};
        QTest::newRow("six cards") << QStringList{"hand", "Kh Qh Jh Th 2s 3s"};
        QTest::newRow("no cards") << QStringList{"hand"};
        QTest::newRow("empty cards") << QStringList{"hand", ""};
        QTest::newRow("duplicate") << QStringList{"hand", "Kh Qh Jh Kh 2s"};
        QTest::newRow("duplicate, other spelling") << QStringList{"hand", "Th 10h Jh Qh Kh"};
        QTest::newRow("unknown card") << QStringList{"hand", "Kh Qh Jh Tx 2s"};
        QTest::newRow("rank 1") << QStringList{"hand", "1h 2h 3h 4h 5h"};
        QTest::newRow("control characters") << QStringList{"hand", "Kh\nQh\x01 Jh Th 2s"};
        QTest::newRow("eight pays") << QStringList{"return", "--pays", "1,2,3,4,5,6,7,8"};
        QTest::newRow("bad pay") << QStringList{"return", "--pays=500,100,50,10,7,5,3,2,x"};
        // The bad field is quoted and cut like any other echoed input.
        QTest::newRow("pay with a line break")
            << QStringList{"return", "--pays=500,100,50,10,7,5,3,2\nx,1"};
        QTest::newRow("100 KB pay")
            << QStringList{"return", "--pays=500,100,50,10,7,5,3,2," + QString(100000, '9')};
        QTest::newRow("help for no command") << QStringList{"help", "nope"};
        QTest::newRow("pays without value") << QStringList{"return", "--pays"};
        QTest::newRow("pays twice") << QStringList{
            "hand", "--pays", "1,1,1,1,1,1,1,1,1", "--pays", "1,1,1,1,1,1,1,1,1", "KhQhJhTh2s"};
        QTest::newRow("pays before and after the command") << QStringList{
            "--pays", "1,1,1,1,1,1,1,1,1", "hand", "--pays", "1,1,1,1,1,1,1,1,1", "KhQhJhTh2s"};
        QTest::newRow("bad pays before the command")
            << QStringList{"--pays", "1,1", "hand", "KhQhJhTh2s"};
        QTest::newRow("command option before the command")
            << QStringList{"--threads", "2", "return"};
        QTest::newRow("zero plays") << QStringList{"return", "--plays", "0"};
        QTest::newRow("too many plays") << QStringList{"return", "--plays", "1-101"};
        QTest::newRow("backward range") << QStringList{"return", "--plays", "5-3"};
        QTest::newRow("plays list with a hole") << QStringList{"return", "--plays", "1,,3"};
        QTest::newRow("ruin: bankroll below the bet")
            << QStringList{"ruin", "--bankroll", "4", "--bet", "5", "--hands", "10"};
        QTest::newRow("ruin: no hands")
            << QStringList{"ruin", "--bankroll", "40", "--bet", "5", "--hands", "0"};
        QTest::newRow("ruin: too many hands")
            << QStringList{"ruin", "--bankroll", "40", "--bet", "5", "--hands", "10000001"};
        QTest::newRow("ruin: part of a cent")
            << QStringList{"ruin", "--bankroll", "40.505", "--bet", "5", "--hands", "10"};
        QTest::newRow("ruin: a comma for the point")
            << QStringList{"ruin", "--bankroll", "40", "--bet", "1,25", "--hands", "10"};
        QTest::newRow("ruin: a bet of no cents")
            << QStringList{"ruin", "--bankroll", "40", "--bet", "0.00", "--hands", "10"};
        QTest::newRow("ruin: bankroll and risk") << QStringList{
            "ruin", "--bankroll", "40", "--bet", "1", "--hands", "10", "--risk", "0.1"};
        QTest::newRow("ruin: a risk of one")
            << QStringList{"ruin", "--bet", "1", "--hands", "10", "--risk", "1"};
        QTest::newRow("ruin: hands times plays") << QStringList{
            "ruin", "--bankroll", "400", "--bet", "1", "--hands", "200000", "--plays", "10"};
        QTest::newRow("ruin: no bet") << QStringList{"ruin", "--bankroll", "40", "--hands", "10"};
        QTest::newRow("ruin: bankroll short of the plays") << QStringList{
            "ruin", "--bankroll", "40", "--bet", "5", "--hands", "10", "--plays", "9"};
        QTest::newRow("ruin: every pay a million") << QStringList{
            "ruin",
            "--bankroll",
            "1000",
            "--bet",
            "1",
            "--hands",
            "1000",
            "--pays",
            "1000000,1000000,1000000,1000000,1000000,1000000,1000000,1000000,1000000"};
        QTest::newRow("half a suit symbol") << QStringList{"hand", "K\xe2\x99 Qh Jh Th 2s"};
        QTest::newRow("return takes no cards") << QStringList{"return", "Kh"};
        QTest::newRow("unknown option") << QStringList{"return", "--fast"};
        QTest::newRow("option of another command") << QStringList{"hand", "--hands", "5"};
        QTest::newRow("flag with value") << QStringList{"return", "--json=yes"};
        QTest::newRow("single dash") << QStringList{"return", "-"};
        QTest::newRow("no hands") << QStringList{"simulate"};
        QTest::newRow("zero hands") << QStringList{"simulate", "--hands", "0"};
        QTest::newRow("negative hands") << QStringList{"simulate", "--hands", "-5"};
        QTest::newRow("hands with exponent") << QStringList{"simulate", "--hands", "1e6"};
        QTest::newRow("too many hands") << QStringList{"simulate", "--hands", "1000000000001"};
        QTest::newRow("hands overflow")
            << QStringList{"simulate", "--hands", "99999999999999999999999"};
        QTest::newRow("zero threads") << QStringList{"simulate", "--hands", "5", "--threads", "0"};
        QTest::newRow("too many threads") << QStringList{"return", "--threads", "5000"};
        QTest::newRow("negative seed") << QStringList{"simulate", "--hands", "5", "--seed", "-1"};
        QTest::newRow("seed overflow")
            << QStringList{"simulate", "--hands", "5", "--seed", "18446744073709551616"};
        QTest::newRow("zero lines") << QStringList{"strategy", "--lines", "0"};
        QTest::newRow("too many lines") << QStringList{"strategy", "--lines", "101"};
        QTest::newRow("strategy takes no cards") << QStringList{"strategy", "Kh"};
        QTest::newRow("unknown deal") << QStringList{"train", "--deal", "casino"};
        QTest::newRow("hand: unknown deal")
            << QStringList{"hand", "--deal", "casino", "Kh Qh Jh Th 2s"};
        QTest::newRow("simulate: unknown play")
            << QStringList{"simulate", "--hands", "10", "--play", "casino"};
        // Sure to pass the widest band: refused before the rounds' outcomes,
        // which would take minutes, as single play refuses it.
        QTest::newRow("N-play spread too wide") << QStringList{"ruin",
                                                               "--bet",
                                                               "1",
                                                               "--bankroll",
                                                               "100",
                                                               "--hands",
                                                               "20",
                                                               "--plays",
                                                               "3",
                                                               "--pays",
                                                               "0,0,0,0,0,0,0,0,1000000"};
        QTest::newRow("trainer has no json") << QStringList{"train", "--json"};
        QTest::newRow("zero training hands") << QStringList{"train", "--hands", "0"};
        QTest::newRow("training seed overflow")
            << QStringList{"train", "--seed", "18446744073709551616"};
    }
    void commandRejectsBadInput()
    {
        QFETCH(QStringList, args);
        const Run run = RunCommand(args);
        QCOMPARE(run.code, kExitUsage);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith("quintara-odds: "), qPrintable(run.err));
        QCOMPARE(run.err.count('\n'), qsizetype(1));
        QVERIFY(run.err.endsWith('\n'));
        QVERIFY2(run.err.size() < 200, qPrintable(run.err.left(200)));
    }

    // --bankroll and --risk ask opposite questions; both at once is refused
    // as such, not as if one were missing.
    void bankrollAndRiskExcludeEachOther()
    {
        const Run run = RunCommand(
            {"ruin", "--bankroll", "100", "--risk", "0.1", "--bet", "1", "--hands", "10"});
        QCOMPARE(run.code, kExitUsage);
        QVERIFY2(run.err.contains("exclude each other"), qPrintable(run.err));
    }

    // Every text report fits a terminal of 80 columns.
    void textReportsFitEightyColumns_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("hand") << QStringList{"hand", "Kh Qh Jh Th 2s"};
        QTest::newRow("hand, game deal") << QStringList{"hand", "--deal", "game", "Kh Qh 7c 3d Jh"};
        QTest::newRow("return") << QStringList{"return", "--plays", "1,3"};
        QTest::newRow("simulate, game play")
            << QStringList{"simulate", "--hands", "300", "--seed", "1", "--play", "game"};
        QTest::newRow("ruin") << QStringList{"ruin", "--bankroll", "200", "--bet",
                                             "1.25", "--hands",    "50"};
        QTest::newRow("ruin, risk")
            << QStringList{"ruin", "--risk", "0.01", "--bet", "1.25", "--hands", "inf"};
        QTest::newRow("ruin, curve")
            << QStringList{"ruin", "--curve", "--bet", "1", "--hands", "50"};
    }
    void textReportsFitEightyColumns()
    {
        QFETCH(QStringList, args);
        const Run run = RunCommand(args);
        QCOMPARE(run.code, kExitOk);
        for (const QString& line : run.out.split('\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }

    // Every JSON key of every command is written in one style, snake_case.
    void jsonKeysAreSnakeCase_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("hand") << QStringList{"hand", "Kh Qh Jh Th 2s"};
        QTest::newRow("hand, game deal") << QStringList{"hand", "--deal", "game", "Kh Qh 7c 3d Jh"};
        QTest::newRow("return") << QStringList{"return", "--plays", "1,3"};
        QTest::newRow("ruin") << QStringList{"ruin", "--bankroll", "40", "--bet",
                                             "1",    "--hands",    "50"};
        QTest::newRow("ruin, risk")
            << QStringList{"ruin", "--risk", "0.5", "--bet", "1", "--hands", "50"};
        QTest::newRow("ruin, curve")
            << QStringList{"ruin", "--curve", "--bet", "1", "--hands", "50"};
        QTest::newRow("simulate") << QStringList{"simulate", "--hands", "300", "--seed",
                                                 "1",        "--play",  "game"};
        QTest::newRow("strategy") << QStringList{"strategy", "--lines", "8"};
    }
    void jsonKeysAreSnakeCase()
    {
        QFETCH(QStringList, args);
        const Run run = RunCommand(args << "--json");
        QCOMPARE(run.code, kExitOk);
        static const QRegularExpression snake("^[a-z][a-z0-9]*(_[a-z0-9]+)*$");
        QStringList keys;
        const auto collect = [&](const auto& self, const QJsonValue& value) -> void {
            if (value.isObject()) {
                const QJsonObject object = value.toObject();
                for (auto it = object.begin(); it != object.end(); ++it) {
                    keys << it.key();
                    self(self, it.value());
                }
            } else if (value.isArray()) {
                for (const QJsonValue& item : value.toArray())
                    self(self, item);
            }
        };
        collect(collect, JsonOf(run));
        QVERIFY(!keys.isEmpty());
        for (const QString& key : keys)
            QVERIFY2(snake.match(key).hasMatch(), qPrintable(key));
    }

    // Different spellings of one command line give the same report.
    void commandLineSpellingsAgree_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("same");
        const QStringList json = {"hand", "Kh Qh Jh Th 2s", "--json"};
        QTest::newRow("--json before the command")
            << QStringList{"--json", "hand", "Kh Qh Jh Th 2s"} << json;
        QTest::newRow("--pays before the command")
            << QStringList{"--pays", "800,50,25,9,6,4,3,2,1", "hand", "As Ks Qs Ad 5c"}
            << QStringList{"hand", "As Ks Qs Ad 5c", "--pays=800,50,25,9,6,4,3,2,1"};
        QTest::newRow("suit symbols") << QStringList{"hand", "K♥ Q♥ J♥ 10♥ 2♠", "--json"} << json;
        QTest::newRow("suit symbols back to back")
            << QStringList{"--json", "hand", "K♥Q♥J♥T♥2♠"} << json;
        QTest::newRow("help word")
            << QStringList{"help", "simulate"} << QStringList{"simulate", "--help"};
    }
    void commandLineSpellingsAgree()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, same);
        const Run run = RunCommand(args);
        QCOMPARE(run.code, kExitOk);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(run.out, RunCommand(same).out);
    }

    void helpGoesToStandardOutput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("top") << QStringList{"--help"} << "Commands:";
        QTest::newRow("help word") << QStringList{"help"} << "Commands:";
        QTest::newRow("hand") << QStringList{"hand", "--help"} << "quintara-odds hand CARDS";
        QTest::newRow("help beats bad input") << QStringList{"hand", "Zz", "-h"} << "hand CARDS";
        QTest::newRow("return") << QStringList{"return", "--help"} << "--threads";
        QTest::newRow("simulate") << QStringList{"simulate", "--help"} << "--seed";
        QTest::newRow("version") << QStringList{"--version"}
                                 << "quintara-odds " QUINTARA_PACKAGE_VERSION "\n";
        QTest::newRow("hand's suit symbols") << QStringList{"hand", "--help"} << "♣ ♦ ♥ ♠";
    }
    void helpGoesToStandardOutput()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run run = RunCommand(args);
        QCOMPARE(run.code, kExitOk);
        QVERIFY(run.err.isEmpty());
        QVERIFY2(run.out.contains(mentions), qPrintable(run.out));
    }

    // The game's row names and the poker words side by side, in every text
    // report and every help: FL is the game's Suit, SF its Flush.
    void everyTextNamesTheRows_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("hand") << QStringList{"hand", "Kh Qh Jh Th 2s"};
        QTest::newRow("return") << QStringList{"return", "--threads", "1"};
        QTest::newRow("simulate") << QStringList{"simulate", "--hands", "100", "--seed", "1"};
        QTest::newRow("strategy") << QStringList{"strategy", "--lines", "8"};
        QTest::newRow("top help") << QStringList{"--help"};
        for (const char* command : {"hand", "return", "simulate", "ruin", "strategy", "train"})
            QTest::newRow(qPrintable(QString(command) + " help")) << QStringList{command, "--help"};
    }
    void everyTextNamesTheRows()
    {
        QFETCH(QStringList, args);
        const Run run = RunCommand(args);
        QCOMPARE(run.code, kExitOk);
        const QString text = QString(run.out).replace(QRegularExpression("\\s+"), " ");
        for (const char* words :
             {"Flush (straight flush)", "Caret (four of a kind)", "Suit (flush: five of one suit)",
              "Two Pairs (two pair)", "2 of a kind (a pair of Jacks or better)"})
            QVERIFY2(text.contains(words), words);
    }

    // Random argument lists never crash the parser: either a clean run or
    // exit code 2 with one line.
    void parserSurvivesFuzz()
    {
        const QStringList pool = {"hand",
                                  "simulate",
                                  "bogus",
                                  "--pays",
                                  "--pays=",
                                  "--json",
                                  "--hands",
                                  "--seed",
                                  "--threads",
                                  "--threads=2",
                                  "-",
                                  "--",
                                  "=",
                                  "Kh",
                                  "Qh Jh",
                                  "10h",
                                  "Th",
                                  "2s",
                                  "As,Ks",
                                  "1,2,3,4,5,6,7,8,9",
                                  "0",
                                  "-1",
                                  "abc",
                                  "",
                                  QString("\xff\xfe"),
                                  "Kh Qh Jh Th 2s",
                                  "KhQhJhTh2s",
                                  "99999999999999999999"};
        std::mt19937 gen(7);
        for (int i = 0; i < 600; ++i) {
            QStringList args;
            const int n = std::uniform_int_distribution<int>(0, 6)(gen);
            for (int k = 0; k < n; ++k) {
                QString token = pool[std::uniform_int_distribution<int>(
                    0, static_cast<int>(pool.size()) - 1)(gen)];
                if (gen() % 5 == 0 && !token.isEmpty())
                    token[std::uniform_int_distribution<int>(0, static_cast<int>(token.size()) - 1)(
                        gen)] = QChar(static_cast<char16_t>(gen() % 128));
                args << token;
            }
            const Run run = RunCommand(args);
            QVERIFY2(run.code == kExitOk || run.code == kExitUsage, qPrintable(args.join('|')));
            if (run.code == kExitUsage)
                QCOMPARE(run.err.count('\n'), qsizetype(1));
        }
    }

    void handJson()
    {
        const Run run = RunCommand({"hand", "Kh", "Qh", "Jh", "Th", "2s", "--json"});
        QCOMPARE(run.code, kExitOk);
        const QJsonObject doc = JsonOf(run);
        QCOMPARE(doc["hand"].toString(), QStringLiteral("Kh Qh Jh Th 2s"));
        const QJsonArray holds = doc["holds"].toArray();
        QCOMPARE(holds.size(), kHoldCount);
        QCOMPARE(holds[0].toObject()["mask"].toInt(), 15);
        QCOMPARE(holds[0].toObject()["return"].toDouble(), 688.0 / 47.0);
        double previous = 1e9;
        for (const QJsonValue& value : holds) {
            const QJsonObject hold = value.toObject();
            QVERIFY(hold["return"].toDouble() <= previous);
            previous = hold["return"].toDouble();
            QCOMPARE(hold["held"].toArray().size() + hold["discarded"].toArray().size(), 5);
            // The places to turn face down are those of the discarded cards.
            const QJsonArray down = hold["face_down"].toArray();
            QCOMPARE(down.size(), hold["discarded"].toArray().size());
            for (const QJsonValue& place : down)
                QVERIFY(!(hold["mask"].toInt() & (1 << (place.toInt() - 1))));
            qint64 draws = 0;
            for (const QJsonValue& row : hold["rows"].toArray())
                draws += row.toObject()["count"].toInteger();
            QCOMPARE(draws, hold["draws"].toInteger());
        }
    }

    void returnJson()
    {
        const Run run = RunCommand({"return", "--json", "--pays=800,50,25,9,6,4,3,2,1"});
        QCOMPARE(run.code, kExitOk);
        const QJsonObject doc = JsonOf(run);
        QCOMPARE(doc["return"].toDouble(), 0.9954390437);
        QCOMPARE(doc["pays"].toArray(), (QJsonArray{800, 50, 25, 9, 6, 4, 3, 2, 1}));
        const QJsonArray rows = doc["rows"].toArray();
        QCOMPARE(rows.size(), kClassCount);
        double total = 0;
        double dealt = 0;
        for (const QJsonValue& row : rows) {
            total += row.toObject()["probability"].toDouble();
            dealt += row.toObject()["dealt"].toDouble();
        }
        QVERIFY(std::abs(total - 1) < 1e-12);
        QVERIFY(std::abs(dealt - 1) < 1e-12);
        QCOMPARE(rows[0].toObject()["name"].toString(), QStringLiteral("Royal Flush"));
    }

    // Published figures of full-pay 9/6 Jacks or Better, in both renderings.
    void nineSixFigures_data()
    {
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("text");
        QTest::newRow("royal combinations") << "rows.0.combinations"
                                            << "493512264"
                                            << "493,512,264";
        QTest::newRow("all combinations") << "combinations"
                                          << "19933230517200"
                                          << "19,933,230,517,200 combinations";
        QTest::newRow("return numerator") << "return_fraction.numerator"
                                          << "1653526326983"
                                          << "= 1653526326983/1661102543100 exactly";
        QTest::newRow("return denominator") << "return_fraction.denominator"
                                            << "1661102543100"
                                            << "Return   0.9954390437";
        QTest::newRow("variance") << "variance:9"
                                  << "19.514676427"
                                  << "Variance 19.514676427";
        QTest::newRow("royal cycle") << "rows.0.cycle:2"
                                     << "40390.55"
                                     << "1 in 40,390.55";
        QTest::newRow("1-play") << "plays.0.standard_deviation:2"
                                << "4.42"
                                << "1-play  4.42";
        QTest::newRow("3-play") << "plays.1.standard_deviation:2"
                                << "4.84"
                                << "3-play  4.84";
        QTest::newRow("5-play") << "plays.2.standard_deviation:2"
                                << "5.23"
                                << "5-play  5.23";
    }
    void nineSixFigures()
    {
        QFETCH(QString, figure);
        QFETCH(QString, json);
        QFETCH(QString, text);
        const QStringList args = {"return", "--pays", "800,50,25,9,6,4,3,2,1", "--plays", "1,3,5"};
        static const Run textRun = RunCommand(args);
        static const Run jsonRun = RunCommand(QStringList(args) << "--json");
        QVERIFY2(textRun.out.contains(text), qPrintable(textRun.out));
        // figure: a path of keys and array indices, then the decimals to round to.
        const QStringList parts = figure.split(':');
        QJsonValue value = JsonOf(jsonRun);
        for (const QString& key : parts[0].split('.')) {
            bool index = false;
            const int i = key.toInt(&index);
            value = index ? value.toArray()[i] : value.toObject()[key];
        }
        QVERIFY(value.isDouble());
        const QString got = parts.size() > 1
                                ? QString::number(value.toDouble(), 'f', parts[1].toInt())
                                : QString::number(value.toInteger());
        QCOMPARE(got, json);
        // The rows add up to the whole and their shares to the return.
        qint64 combinations = 0;
        double share = 0;
        for (const QJsonValue& row : JsonOf(jsonRun)["rows"].toArray()) {
            combinations += row.toObject()["combinations"].toInteger();
            share += row.toObject()["contribution"].toDouble();
        }
        QCOMPARE(combinations, qint64(19933230517200));
        QVERIFY(std::abs(share - 1653526326983.0 / 1661102543100.0) < 1e-12);
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

    void simulateJson()
    {
        const Run run = RunCommand({"simulate", "--hands", "500", "--seed", "3", "--json"});
        QCOMPARE(run.code, kExitOk);
        const QJsonObject doc = JsonOf(run);
        QCOMPARE(doc["hands"].toInteger(), qint64(500));
        QCOMPARE(doc["seed"].toInteger(), qint64(3));
        qint64 dealt = 0;
        qint64 made = 0;
        qint64 paid = 0;
        for (const QJsonValue& value : doc["rows"].toArray()) {
            const QJsonObject row = value.toObject();
            dealt += row["dealt"].toObject()["count"].toInteger();
            made += row["made"].toObject()["count"].toInteger();
            paid += row["made"].toObject()["count"].toInteger() * row["pays"].toInteger();
        }
        QCOMPARE(dealt, qint64(500));
        QCOMPARE(made, qint64(500));
        QCOMPARE(doc["return"].toObject()["paid"].toInteger(), paid);
        QCOMPARE(doc["return"].toObject()["exact"].toDouble(), 1.0898208284);
    }

    // A seed the program chose, read back the way JSON tools read numbers (as
    // a double), replays the same hands.
    void freshSeedReplaysFromJson()
    {
        for (int run = 0; run < 8; ++run) {
            const QJsonObject first = JsonOf(RunCommand({"simulate", "--hands", "200", "--json"}));
            const double seed = first["seed"].toDouble();
            QVERIFY2(seed < 9007199254740992.0, qPrintable(QString::number(seed, 'f', 0)));
            const QJsonObject again = JsonOf(RunCommand(
                {"simulate", "--hands", "200", "--seed", QString::number(seed, 'f', 0), "--json"}));
            QCOMPARE(again["rows"], first["rows"]);
        }
    }

    // Ctrl+C during a run that would take days ends it with the figures of
    // the whole blocks played, marked as stopped, exit 130; Ctrl+C is the
    // program's own again afterwards.
    void simulateStopsOnInterrupt()
    {
        const auto handler = [] {
            struct sigaction now = {};
            sigaction(SIGINT, nullptr, &now);
            return now.sa_handler;
        };
        const auto before = handler();
        Run run;
        std::promise<void> finished;
        std::thread command([&run, &finished] {
            run = RunCommand({"simulate", "--hands", "1000000000000", "--seed", "5", "--json"});
            finished.set_value();
        });
        while (handler() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::seconds(2)); // let some hands be played
        kill(getpid(), SIGINT);
        if (finished.get_future().wait_for(std::chrono::minutes(2)) != std::future_status::ready)
            qFatal("simulate did not stop on Ctrl+C"); // the run itself would take days
        command.join();
        QVERIFY(handler() == before);
        QCOMPARE(run.code, 130);
        if (run.out.isEmpty()) { // stopped while the holds were being solved
            QCOMPARE(run.err,
                     QString("quintara-odds: simulate stopped before a hand was played\n"));
            return;
        }
        const QJsonObject doc = JsonOf(run);
        QVERIFY(doc["stopped"].toBool());
        const qint64 hands = doc["hands"].toInteger();
        QVERIFY(hands > 0 && hands < 1000000000000 && hands % 4096 == 0);
        qint64 made = 0;
        for (const QJsonValue& row : doc["rows"].toArray())
            made += row.toObject()["made"].toObject()["count"].toInteger();
        QCOMPARE(made, hands);
    }

    // The bar lives on the error stream and is wiped when the run ends, so
    // the report itself stays clean.
    void progressBarStaysOnTheErrorStream()
    {
        if (!kFullRun)
            QSKIP("a long enough run is too slow unoptimized");
        std::ostringstream out;
        std::ostringstream err;
        const int code =
            RunOddsCommand({"simulate", "--hands", "60000", "--seed", "1"}, out, err, true);
        QCOMPARE(code, kExitOk);
        QVERIFY(QString::fromStdString(out.str()).startsWith("Hands    60000"));
        QVERIFY(out.str().find('\r') == std::string::npos);
        const std::string bar = err.str();
        QVERIFY(bar.size() >= 5);
        QCOMPARE(bar.substr(bar.size() - 5), std::string("\r\033[2K"));
    }

    // hand --deal game lists all 32 holds once each, best for the game's deal
    // first, each with the fair value hand gives it and its rank there.
    void handGameDealJson()
    {
        const QStringList cards{"Kh", "Qh", "7c", "3d", "Jh"};
        const QJsonObject game =
            JsonOf(RunCommand(QStringList{"hand", "--deal", "game", "--json"} + cards));
        const QJsonObject fair = JsonOf(RunCommand(QStringList{"hand", "--json"} + cards));
        QCOMPARE(game["deal"].toString(), QStringLiteral("game"));
        std::map<int, std::pair<double, int>> fairByMask; // return, rank
        const QJsonArray fairHolds = fair["holds"].toArray();
        for (qsizetype i = 0; i < fairHolds.size(); ++i) {
            const QJsonObject hold = fairHolds[i].toObject();
            fairByMask[hold["mask"].toInt()] = {hold["return"].toDouble(), static_cast<int>(i) + 1};
        }
        const QJsonArray holds = game["holds"].toArray();
        QCOMPARE(holds.size(), kHoldCount);
        std::set<int> masks;
        double previous = 1e9;
        for (const QJsonValue& value : holds) {
            const QJsonObject hold = value.toObject();
            const int mask = hold["mask"].toInt();
            masks.insert(mask);
            QVERIFY(hold["game_return"].toDouble() <= previous);
            previous = hold["game_return"].toDouble();
            QCOMPARE(hold["fair_return"].toDouble(), fairByMask[mask].first);
            QCOMPARE(hold["fair_rank"].toInt(), fairByMask[mask].second);
            for (const QJsonValue& place : hold["face_down"].toArray())
                QVERIFY(!(mask & (1 << (place.toInt() - 1))));
            QCOMPARE(hold["face_down"].toArray().size(), 5 - std::popcount(unsigned(mask)));
        }
        QCOMPARE(masks.size(), std::size_t(kHoldCount));
        const Run text = RunCommand(QStringList{"hand", "--deal", "game"} + cards);
        QVERIFY2(text.out.contains("Best   for the game's deal: hold Kh Qh -- -- Jh"),
                 qPrintable(text.out));
        QVERIFY(text.out.contains("exact under a run\nmodel of its shuffle"));
    }

    void textReportsNameTheBestHold()
    {
        const Run hand = RunCommand({"hand", "Kh Qh Jh Th 2h"});
        QCOMPARE(hand.code, kExitOk);
        QVERIFY2(hand.out.contains("Best   hold Kh Qh Jh Th --, return 14.4893617021"),
                 qPrintable(hand.out));
        if (!kFullRun)
            return;
        const Run ret = RunCommand({"return"});
        QVERIFY2(ret.out.contains("Return   1.0898208284"), qPrintable(ret.out));
    }
};

QTEST_APPLESS_MAIN(TestOdds)
#include "test_odds.moc"
