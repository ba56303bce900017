#include "odds_test_helpers.h"

#include <numeric>

class TestOddsCommand : public QObject
{
    Q_OBJECT

  private slots:
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
        QTest::newRow("unknown game") << QStringList{"return", "--game", "pai-gow"};
        QTest::newRow("unknown table") << QStringList{"return", "--table", "9/6 Nowhere Poker"};
        QTest::newRow("pays of another family")
            << QStringList{"return", "--game", "deuces", "--pays", "800,50,25,9,6,4,3,2,1"};
        QTest::newRow("game and table of two families")
            << QStringList{"return", "--game", "joker", "--table", "9/6 Jacks or Better"};
        QTest::newRow("table and pays") << QStringList{"return", "--table", "9/6 Jacks or Better",
                                                       "--pays", "800,50,25,9,6,4,3,2,1"};
        QTest::newRow("game deal with wild cards")
            << QStringList{"hand", "--game", "deuces", "--deal", "game", "2h 2c 7s 8s 9d"};
        QTest::newRow("joker in a deck without one") << QStringList{"hand", "Jk Ah Kh 4c 9d"};
        QTest::newRow("two jokers") << QStringList{"hand", "--game", "joker", "Jk Ah Kh 4c Jk"};
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
        QTest::newRow("hand, thirteen rows")
            << QStringList{"hand", "--game", "double-double", "Ah Ad As 3c 9d"};
        QTest::newRow("return, joker") << QStringList{"return", "--game", "joker"};
        QTest::newRow("simulate, joker")
            << QStringList{"simulate", "--game", "joker", "--hands", "300", "--seed", "1"};
        QTest::newRow("games") << QStringList{"games"};
        QTest::newRow("tables") << QStringList{"tables", "--game", "deuces"};
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
        QTest::newRow("games") << QStringList{"games"};
        QTest::newRow("tables") << QStringList{"tables", "--game", "joker"};
        QTest::newRow("simulate, joker")
            << QStringList{"simulate", "--game", "joker", "--hands", "300", "--seed", "1"};
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
        QTest::newRow("a named table and its pays")
            << QStringList{"hand", "--table", "9/6 Double Double Bonus", "Ah Ad As 3c 9d", "--json"}
            << QStringList{"hand",
                           "--game",
                           "double-double",
                           "--pays",
                           "800,50,400,160,160,80,50,9,6,4,3,1,1",
                           "Ah Ad As 3c 9d",
                           "--json"};
        QTest::newRow("a table name in other case and spacing")
            << QStringList{"--table", "full pay DEUCES wild", "hand", "2h 2c 7s 8s 9d"}
            << QStringList{"hand", "--table", "Full Pay Deuces Wild", "2h 2c 7s 8s 9d"};
        QTest::newRow("the joker's spellings")
            << QStringList{"hand", "--game", "joker", "joker Ah Kh 4c 9d"}
            << QStringList{"hand", "--game", "joker", "Jk,Ah,Kh,4c,9d"};
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

    // Returns under optimal play as players' references publish them, to the
    // last digit they print.
    void namedTablesReturnWhatReferencesPublish_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("published");
        QTest::newRow("9/6 Jacks or Better") << "9/6 Jacks or Better"
                                             << "0.995439";
        QTest::newRow("8/5 Bonus Poker") << "8/5 Bonus Poker"
                                         << "0.991660";
        QTest::newRow("10/7 Double Bonus") << "10/7 Double Bonus"
                                           << "1.001725";
        QTest::newRow("9/6 Double Double Bonus") << "9/6 Double Double Bonus"
                                                 << "0.989808";
        QTest::newRow("9/7 Triple Double Bonus") << "9/7 Triple Double Bonus"
                                                 << "0.995778";
        QTest::newRow("8/5 Aces and Faces") << "8/5 Aces and Faces"
                                            << "0.992555";
        QTest::newRow("Full Pay Deuces Wild") << "full pay deuces wild"
                                              << "1.007620";
        QTest::newRow("NSU Deuces Wild") << "NSU Deuces Wild"
                                         << "0.997283";
        QTest::newRow("Joker Poker 20/7") << "Kings or Better Joker Poker 20/7"
                                          << "1.006463";
    }
    void namedTablesReturnWhatReferencesPublish()
    {
        QFETCH(QString, table);
        QFETCH(QString, published);
        const Run run = RunCommand({"return", "--table", table, "--json"});
        QCOMPARE(run.code, kExitOk);
        const QJsonObject doc = JsonOf(run);
        QCOMPARE(QString::number(doc["return"].toDouble(), 'f', 6), published);
        // The fraction is whole numbers in lowest terms.
        const QJsonObject fraction = doc["return_fraction"].toObject();
        QCOMPARE(std::gcd(fraction["numerator"].toInteger(), fraction["denominator"].toInteger()),
                 qint64(1));
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
        QCOMPARE(rows.size(), hands::kHandClassCount); // nine paying rows and Nothing
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

QTEST_APPLESS_MAIN(TestOddsCommand)
#include "test_odds_command.moc"
