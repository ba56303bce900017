// Every family's rows against a classifier written here from the rows' plain
// meaning: natural hands judged by counting ranks and suits, wild cards tried
// as every card they could stand for. It shares no table with the engine.
#include "card_code.h"
#include "draw_tables.h"
#include "family.h"
#include "hold_analysis.h"
#include "odds_support.h"
#include "strategy.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace odds;

namespace {

// A card as the classifier sees it: rank 2..14 (the Ace 14), suit 0..3.
struct Plain
{
    int rank;
    int suit;
};

// The rows of each family, top down, as players name them.
const std::map<std::string, std::vector<std::string>>& RowsTopDown()
{
    static const std::map<std::string, std::vector<std::string>> rows = [] {
        const std::vector<std::string> lower = {"Full House",      "Flush",    "Straight",
                                                "Three of a Kind", "Two Pair", "Jacks or Better"};
        const auto with = [&](std::vector<std::string> top) {
            top.insert(top.end(), lower.begin(), lower.end());
            top.push_back("Nothing");
            return top;
        };
        std::map<std::string, std::vector<std::string>> all;
        all["jacks"] = with({"Royal Flush", "Straight Flush", "Four of a Kind"});
        all["bonus"] =
            with({"Royal Flush", "Straight Flush", "Four Aces", "Four 2s-4s", "Four 5s-Ks"});
        all["double-double"] =
            with({"Royal Flush", "Straight Flush", "Four Aces with a 2-4", "Four 2s-4s with an A-4",
                  "Four Aces", "Four 2s-4s", "Four 5s-Ks"});
        all["aces-faces"] =
            with({"Royal Flush", "Straight Flush", "Four Aces", "Four Jacks-Kings", "Four 2s-10s"});
        all["deuces"] = {"Natural Royal Flush", "Four Deuces",    "Wild Royal Flush",
                         "Five of a Kind",      "Straight Flush", "Four of a Kind",
                         "Full House",          "Flush",          "Straight",
                         "Three of a Kind",     "Nothing"};
        all["joker"] = {"Natural Royal Flush",
                        "Five of a Kind",
                        "Wild Royal Flush",
                        "Straight Flush",
                        "Four of a Kind",
                        "Full House",
                        "Flush",
                        "Straight",
                        "Three of a Kind",
                        "Two Pair",
                        "Kings or Better",
                        "Nothing"};
        all["joker-two-pair"] = all["joker"];
        all["joker-two-pair"].erase(all["joker-two-pair"].end() - 2);
        return all;
    }();
    return rows;
}

// The row of five natural cards (a wild card's stand-in may repeat a card).
const char* NaturalRow(const std::string& game, const std::array<Plain, 5>& cards, bool wildUsed)
{
    std::array<int, 15> count{};
    bool flush = true;
    for (const Plain& c : cards) {
        ++count[static_cast<std::size_t>(c.rank)];
        flush = flush && c.suit == cards[0].suit;
    }
    std::array<int, 5> ranks{};
    for (std::size_t i = 0; i < 5; ++i)
        ranks[i] = cards[i].rank;
    std::sort(ranks.begin(), ranks.end());
    const bool distinct = std::adjacent_find(ranks.begin(), ranks.end()) == ranks.end();
    const bool wheel = ranks == std::array<int, 5>{2, 3, 4, 5, 14};
    const bool straight = distinct && (ranks[4] - ranks[0] == 4 || wheel);
    int most = 0;
    int mostRank = 0;
    int pairs = 0;
    int pairRank = 0;
    for (int r = 2; r <= 14; ++r) {
        if (count[r] > most) {
            most = count[r];
            mostRank = r;
        }
        if (count[r] == 2) {
            ++pairs;
            pairRank = r;
        }
    }
    const bool wild = game == "deuces" || game == "joker" || game == "joker-two-pair";
    if (straight && flush && ranks[0] == 10)
        return wild ? (wildUsed ? "Wild Royal Flush" : "Natural Royal Flush") : "Royal Flush";
    if (most == 5)
        return "Five of a Kind";
    if (straight && flush)
        return "Straight Flush";
    if (most == 4) {
        int kicker = 0;
        for (const Plain& c : cards)
            if (c.rank != mostRank)
                kicker = c.rank;
        const bool low = mostRank >= 2 && mostRank <= 4;
        const bool lowKicker = kicker >= 2 && kicker <= 4;
        if (game == "bonus")
            return mostRank == 14 ? "Four Aces" : (low ? "Four 2s-4s" : "Four 5s-Ks");
        if (game == "double-double") {
            if (mostRank == 14)
                return lowKicker ? "Four Aces with a 2-4" : "Four Aces";
            if (low)
                return lowKicker || kicker == 14 ? "Four 2s-4s with an A-4" : "Four 2s-4s";
            return "Four 5s-Ks";
        }
        if (game == "aces-faces")
            return mostRank == 14 ? "Four Aces"
                                  : (mostRank >= 11 ? "Four Jacks-Kings" : "Four 2s-10s");
        return "Four of a Kind";
    }
    if (most == 3 && pairs == 1)
        return "Full House";
    if (flush)
        return "Flush";
    if (straight)
        return "Straight";
    if (most == 3)
        return "Three of a Kind";
    // Deuces Wild pays nothing below three of a kind, the joker two pair
    // game nothing below two pair.
    if (pairs == 2)
        return game == "deuces" ? "Nothing" : "Two Pair";
    if (pairs == 1 && game == "joker")
        return pairRank >= 13 ? "Kings or Better" : "Nothing";
    if (pairs == 1 && !wild)
        return pairRank >= 11 ? "Jacks or Better" : "Nothing";
    return "Nothing";
}

int Position(const std::string& game, const std::string& name)
{
    const std::vector<std::string>& rows = RowsTopDown().at(game);
    const auto at = std::find(rows.begin(), rows.end(), name);
    if (at == rows.end())
        throw std::logic_error(game + " has no row " + name);
    return static_cast<int>(at - rows.begin());
}

// The highest row the hand can be, each wild card tried as any rank in the
// natural cards' suit or in another one.
int OracleRow(const std::string& game, std::span<const int, 5> codes)
{
    std::vector<Plain> natural;
    int wilds = 0;
    for (const int code : codes) {
        if (code == kJoker || (game == "deuces" && cards::CardRank(code) == 2)) {
            ++wilds;
            continue;
        }
        const int rank = cards::CardRank(code);
        natural.push_back({rank == 1 ? 14 : rank, cards::CardSuit(code)});
    }
    if (wilds == 0) {
        std::array<Plain, 5> hand{};
        std::copy(natural.begin(), natural.end(), hand.begin());
        return Position(game, NaturalRow(game, hand, false));
    }
    int best = Position(game, "Nothing");
    if (game == "deuces" && wilds == 4)
        best = Position(game, "Four Deuces");
    // A stand-in's suit matters only for a flush, which natural cards of two
    // suits never make.
    const int suit = natural.front().suit;
    const bool oneSuit =
        std::all_of(natural.begin(), natural.end(), [&](const Plain& c) { return c.suit == suit; });
    std::vector<Plain> options;
    for (int rank = 2; rank <= 14; ++rank) {
        options.push_back({rank, suit});
        if (oneSuit)
            options.push_back({rank, (suit + 1) % 4});
    }
    std::vector<std::size_t> pick(static_cast<std::size_t>(wilds), 0);
    for (;;) {
        std::array<Plain, 5> hand{};
        std::copy(natural.begin(), natural.end(), hand.begin());
        for (std::size_t k = 0; k < pick.size(); ++k)
            hand[natural.size() + k] = options[pick[k]];
        best = std::min(best, Position(game, NaturalRow(game, hand, true)));
        // The next multiset of stand-ins (their order does not matter).
        std::size_t k = pick.size();
        while (k > 0 && pick[k - 1] == options.size() - 1)
            --k;
        if (k == 0)
            break;
        ++pick[k - 1];
        for (std::size_t j = k; j < pick.size(); ++j)
            pick[j] = pick[k - 1];
    }
    return best;
}

// The engine's row of a hand as its place in the table, top down.
int EnginePosition(const Family& family, int row)
{
    const std::vector<int> rows = family.rowsTopDown();
    return static_cast<int>(std::find(rows.begin(), rows.end(), row) - rows.begin());
}

// What the classifier's answer depends on: the ranks and whether the natural
// cards share a suit. Keyed so, its answers are worked out once.
std::uint64_t OracleKey(const std::string& game, const std::array<int, 5>& codes)
{
    std::array<int, 5> ranks{};
    int suit = -1;
    bool oneSuit = true;
    for (std::size_t i = 0; i < 5; ++i) {
        const int code = codes[i];
        ranks[i] = code == kJoker ? 15 : cards::CardRank(code);
        if (code == kJoker || (game == "deuces" && ranks[i] == 2))
            continue;
        oneSuit = oneSuit && (suit < 0 || suit == cards::CardSuit(code));
        suit = cards::CardSuit(code);
    }
    std::sort(ranks.begin(), ranks.end());
    std::uint64_t key = oneSuit ? 1 : 0;
    for (const int r : ranks)
        key = key * 16 + static_cast<std::uint64_t>(r);
    return key;
}

// Every hold's pays summed over its draws, each draw dealt from the rest of
// the deck and judged by the classifier; topDown: the pays from the top row.
std::array<std::int64_t, 32> PaidByDealing(const std::string& game, const std::array<int, 5>& dealt,
                                           const std::vector<std::int64_t>& topDown)
{
    std::vector<int> stub;
    const int deck = game.starts_with("joker") ? 53 : 52;
    for (int code = 1; code <= deck; ++code)
        if (std::find(dealt.begin(), dealt.end(), code) == dealt.end())
            stub.push_back(code);
    std::map<std::uint64_t, std::int64_t> paid;
    const auto pays = [&](const std::array<int, 5>& hand) {
        const auto [at, added] = paid.emplace(OracleKey(game, hand), 0);
        if (added) {
            const auto row = static_cast<std::size_t>(OracleRow(game, hand));
            at->second = row < topDown.size() ? topDown[row] : 0;
        }
        return at->second;
    };
    std::array<std::int64_t, 32> total{};
    for (unsigned hold = 0; hold < 32; ++hold) {
        std::vector<int> places;
        for (int p = 0; p < 5; ++p)
            if (!(hold & (1u << p)))
                places.push_back(p);
        std::array<int, 5> hand = dealt;
        const auto deal = [&](const auto& self, std::size_t k, std::size_t from) -> void {
            if (k == places.size()) {
                total[hold] += pays(hand);
                return;
            }
            for (std::size_t i = from; i < stub.size(); ++i) {
                hand[static_cast<std::size_t>(places[k])] = stub[i];
                self(self, k + 1, i + 1);
            }
        };
        deal(deal, 0, 0);
    }
    return total;
}

} // namespace

class TestOddsFamilies : public QObject
{
    Q_OBJECT

  private slots:
    void everyHandHasItsRow_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<qint64>("deals");
        for (const char* game :
             {"jacks", "bonus", "double-double", "aces-faces", "deuces", "joker", "joker-two-pair"})
            QTest::newRow(game) << QString(game)
                                << qint64(std::string_view(game).starts_with("joker") ? 2869685
                                                                                      : 2598960);
    }
    // Every deal's row, and the dealt count of every row, as the classifier
    // finds them; the family's row names as players know them.
    void everyHandHasItsRow()
    {
        QFETCH(QString, game);
        QFETCH(qint64, deals);
        const std::string key = game.toStdString();
        const Family& family = *FindFamily(key);
        const std::vector<std::string>& names = RowsTopDown().at(key);
        const std::vector<int> rows = family.rowsTopDown();
        QCOMPARE(rows.size(), names.size());
        if (key != "jacks")
            for (std::size_t k = 0; k < rows.size(); ++k)
                QCOMPARE(std::string(family.rowName(rows[k])), names[k]);

        const DrawTables tables(family);
        std::vector<std::int64_t> counted(names.size(), 0);
        std::int64_t seen = 0;
        int mismatches = 0;
        QString first;
        // The sanitizer build judges one hand in 11, and counts none.
        const std::int64_t stride = odds_test::kFullRun ? 1 : 11;
        odds_test::ForEachDealOf(family.deck().cards, [&](const std::array<int, 5>& hand) {
            if (seen++ % stride != 0)
                return;
            const int oracle = OracleRow(key, hand);
            ++counted[static_cast<std::size_t>(oracle)];
            if (EnginePosition(family, tables.classify(hand)) != oracle && mismatches++ == 0)
                first = QString::fromStdString(CardsText(hand));
        });
        QCOMPARE(seen, deals);
        QVERIFY2(mismatches == 0,
                 qPrintable(QString("%1 hands differ, first %2").arg(mismatches).arg(first)));
        for (std::size_t k = 0; k < rows.size() && stride == 1; ++k)
            QCOMPARE(std::int64_t(tables.allHands()[static_cast<std::size_t>(rows[k])]),
                     counted[k]);
    }

    // Known counts of dealt hands, worked out by hand in players' references.
    void dealtCountsMatchTheirCombinatorics_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("row");
        QTest::addColumn<qint64>("count");
        QTest::newRow("deuces: natural royal") << "deuces"
                                               << "Natural Royal Flush" << qint64(4);
        QTest::newRow("deuces: four deuces") << "deuces"
                                             << "Four Deuces" << qint64(48);
        QTest::newRow("deuces: wild royal") << "deuces"
                                            << "Wild Royal Flush" << qint64(480);
        QTest::newRow("deuces: five of a kind") << "deuces"
                                                << "Five of a Kind" << qint64(624);
        QTest::newRow("deuces: straight flush") << "deuces"
                                                << "Straight Flush" << qint64(2068);
        QTest::newRow("deuces: four of a kind") << "deuces"
                                                << "Four of a Kind" << qint64(31552);
        QTest::newRow("deuces: three of a kind") << "deuces"
                                                 << "Three of a Kind" << qint64(355080);
        QTest::newRow("deuces: nothing") << "deuces"
                                         << "Nothing" << qint64(2119728);
        // The joker beside each of the 13 fours of a kind.
        QTest::newRow("joker: five of a kind") << "joker"
                                               << "Five of a Kind" << qint64(13);
        QTest::newRow("joker: wild royal") << "joker"
                                           << "Wild Royal Flush" << qint64(20);
        QTest::newRow("bonus: four aces") << "bonus"
                                          << "Four Aces" << qint64(48);
        QTest::newRow("double-double: aces, low kicker") << "double-double"
                                                         << "Four Aces with a 2-4" << qint64(12);
        QTest::newRow("double-double: low fours, kicker")
            << "double-double"
            << "Four 2s-4s with an A-4" << qint64(3 * 12);
    }
    void dealtCountsMatchTheirCombinatorics()
    {
        QFETCH(QString, game);
        QFETCH(QString, row);
        QFETCH(qint64, count);
        const Family& family = *FindFamily(game.toStdString());
        const DrawTables tables(family);
        for (const int r : family.rowsTopDown())
            if (family.rowName(r) == row.toStdString()) {
                QCOMPARE(qint64(tables.allHands()[static_cast<std::size_t>(r)]), count);
                return;
            }
        QFAIL("no such row");
    }

    // Every hold of three or more cards of a few deals with wild cards, its
    // draws dealt one by one from the rest of the deck and judged by the
    // classifier, against the engine's counts.
    void drawsCountedCardByCard_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("dealt");
        QTest::newRow("deuces, two deuces") << "deuces"
                                            << "2h 2c 7s 8s 9d";
        QTest::newRow("deuces, three deuces") << "deuces"
                                              << "2h 2c 2d 8s 9d";
        QTest::newRow("deuces, royal draw") << "deuces"
                                            << "2d Ts Js Qs 4h";
        QTest::newRow("deuces, no deuce") << "deuces"
                                          << "5h 5c 7h 8h Kd";
        QTest::newRow("joker, royal draw") << "joker"
                                           << "Jk Ah Kh 4c 9d";
        QTest::newRow("joker, no joker") << "joker"
                                         << "Ks Kd 6s 7s 8c";
        QTest::newRow("joker two pair") << "joker-two-pair"
                                        << "Jk 3h 3d 9c Qs";
    }
    void drawsCountedCardByCard()
    {
        QFETCH(QString, game);
        QFETCH(QString, dealt);
        const std::string key = game.toStdString();
        const Family& family = *FindFamily(key);
        std::array<int, 5> hand{};
        int n = 0;
        for (const QString& word : dealt.split(' '))
            hand[static_cast<std::size_t>(n++)] =
                word == "Jk" ? kJoker : *cards::ParseCard(word.toStdString());
        std::vector<int> stub;
        for (const int code : family.cards())
            if (std::find(hand.begin(), hand.end(), code) == hand.end())
                stub.push_back(code);
        QCOMPARE(int(stub.size()), family.deck().stub);

        const DrawTables tables(family);
        HoldTable engine;
        CountDraws(tables, hand, engine);
        for (unsigned hold = 0; hold < kHoldCount; ++hold) {
            if (kHeldCount[hold] < 3)
                continue;
            std::vector<std::int64_t> counted(family.rowCount(), 0);
            const int drawn = 5 - kHeldCount[hold];
            std::vector<int> pick(static_cast<std::size_t>(drawn));
            const auto deal = [&](const auto& self, int depth, std::size_t from) -> void {
                if (depth == drawn) {
                    std::array<int, 5> final = hand;
                    int k = 0;
                    for (int place = 0; place < 5; ++place)
                        if (!(hold & (1u << place)))
                            final[static_cast<std::size_t>(place)] =
                                pick[static_cast<std::size_t>(k++)];
                    ++counted[static_cast<std::size_t>(OracleRow(key, final))];
                    return;
                }
                for (std::size_t i = from; i < stub.size(); ++i) {
                    pick[static_cast<std::size_t>(depth)] = stub[i];
                    self(self, depth + 1, i + 1);
                }
            };
            deal(deal, 0, 0);
            const std::vector<int> rows = family.rowsTopDown();
            for (std::size_t k = 0; k < rows.size(); ++k)
                QVERIFY2(engine[hold][static_cast<std::size_t>(rows[k])] == counted[k],
                         qPrintable(QString("hold %1, row %2: engine %3, counted %4")
                                        .arg(hold)
                                        .arg(QString::fromStdString(RowsTopDown().at(key)[k]))
                                        .arg(engine[hold][static_cast<std::size_t>(rows[k])])
                                        .arg(counted[k])));
        }
    }

    // A family's 40-entry list on a few deals: the hold it names is worth
    // the most, by every draw dealt out and judged by the classifier.
    void listNamesTheBestHold_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("pays"); // top down, as the table's players read it
        QTest::addColumn<QString>("dealt");
        const QString ddb = "800,50,400,160,160,80,50,9,6,4,3,1,1";
        QTest::newRow("DDB: three Aces") << "double-double" << ddb << "Ah Ad As 3c 9d";
        if (odds_test::kFullRun)
            QTest::newRow("DDB: Aces up") << "double-double" << ddb << "Ah Ad 8h 8c Kd";
        QTest::newRow("DDB: Kings or a royal draw") << "double-double" << ddb << "Th Jh Qh Kd Kc";
        // 10/7 Double Bonus: the flush pays 7, so only Q J 10 of the royal
        // draws beats 4 to a flush; a thrown card of the Ace's suit alone is
        // no reason to keep its unsuited Jack.
        const QString db = "800,50,160,80,50,10,7,5,3,1,1";
        QTest::newRow("DB: Q J 10 or 4 to a flush") << "bonus" << db << "Tc Jc Qc 5c 8d";
        QTest::newRow("DB: Ace, a flush penalty and no wheel card")
            << "bonus" << db << "Ah Jc 9h 8d 6s";
        const QString deuces = "800,200,25,15,9,5,3,2,2,1";
        QTest::newRow("deuces: two deuces, royal draw") << "deuces" << deuces << "2h 2c Ts Js 4d";
        QTest::newRow("deuces: one deuce") << "deuces" << deuces << "2d 5h 6h 9c Kd";
        if (odds_test::kFullRun)
            QTest::newRow("deuces: no deuce") << "deuces" << deuces << "3s 4s 5s 8d 9c";
        const QString joker = "800,200,100,50,20,7,5,3,2,1,1";
        QTest::newRow("joker: royal draw") << "joker" << joker << "Jk Ah Kh 4c 9d";
        if (!odds_test::kFullRun)
            return;
        QTest::newRow("joker: straight draw") << "joker" << joker << "Jk 5c 6c 9d Qh";
        QTest::newRow("joker: Kings") << "joker" << joker << "Ks Kd 6s 7s 8s";
    }
    void listNamesTheBestHold()
    {
        QFETCH(QString, game);
        QFETCH(QString, pays);
        QFETCH(QString, dealt);
        const std::string key = game.toStdString();
        const Family& family = *FindFamily(key);
        std::vector<std::int64_t> topDown;
        for (const QString& pay : pays.split(','))
            topDown.push_back(pay.toLongLong());
        std::array<int, 5> hand{};
        int n = 0;
        for (const QString& word : dealt.split(' '))
            hand[static_cast<std::size_t>(n++)] =
                word == "Jk" ? kJoker : *cards::ParseCard(word.toStdString());

        const std::array<std::int64_t, 32> paid = PaidByDealing(key, hand, topDown);
        const auto draws = [&](unsigned hold) {
            return Choose(family.deck().stub, 5 - kHeldCount[hold]);
        };
        // a / b < c / d as a d < c b: every value an exact fraction.
        const auto less = [&](unsigned a, unsigned b) {
            return paid[a] * draws(b) < paid[b] * draws(a);
        };
        unsigned best = 0;
        for (unsigned h = 1; h < 32; ++h)
            best = less(best, h) ? h : best;

        PayVector table{};
        for (std::size_t k = 0; k < family.payOrder.size(); ++k)
            table[static_cast<std::size_t>(family.payOrder[k])] = topDown[k];
        // One list per family: the rows of one family share their pays.
        static std::map<std::string, std::pair<std::unique_ptr<DrawTables>, Strategy>> lists;
        auto& [tables, list] = lists[key];
        if (!tables) {
            tables = std::make_unique<DrawTables>(family);
            list = StrategyData(*tables, table, 0).best(40);
        }
        HoldTable counts;
        CountDraws(*tables, hand, counts);
        const unsigned listed = ListHold(list.lines, list.exceptions, hand, counts, table, family);
        QVERIFY(listed < 32);
        QVERIFY2(!less(listed, best),
                 qPrintable(QString("the list holds %1, the best is %2").arg(listed).arg(best)));
    }
};

QTEST_GUILESS_MAIN(TestOddsFamilies)
#include "test_odds_families.moc"
