#include "card_code.h"
#include "main_window.h"
#include "settings_store.h"
#include "single_instance.h"
#include "startup.h"
#include "table_doubles.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kWelcome =
    QStringLiteral("Welcome to Quintara !\r\nYou start your game with $100.\r\nGood Luck !\r\n\r\n"
                   "P.S.: Who reaches $1 000 000 gets a chewing gum ! (Just show it to me).");

// Null text means "line absent".
void WriteRaw(const QString& path, const QString& score, const QString& cardDeck)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Settings]\n");
    if (!score.isNull())
        file.write(QStringLiteral("Score=%1\n").arg(score).toUtf8());
    if (!cardDeck.isNull())
        file.write(QStringLiteral("CardDeck=%1\n").arg(cardDeck).toUtf8());
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList SettingsLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}

QList<int> CheckedBacks(const Table& table)
{
    QList<int> checked;
    for (const auto& [code, item] : table.ui.mnuCD) {
        if (item->isChecked())
            checked << code;
    }
    return checked;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

  public:
    QString configHome;

  private slots:
    void convertWhole_data();
    void convertWhole();
    void initGame_data();
    void initGame();
    void twoStartsKeepBothValues();
    void unloadSavesOnce_data();
    void unloadSavesOnce();
    void defaultStoreIsTessaroConf();
    void saveKeepsLinkModeAndOtherKeys_data();
    void saveKeepsLinkModeAndOtherKeys();
    void brokenStoreNeverStopsTheGame_data();
    void brokenStoreNeverStopsTheGame();
    void signalClosesLikeQuit_data();
    void signalClosesLikeQuit();
    void storeThatGaveNoAccountIsKept_data();
    void storeThatGaveNoAccountIsKept();
    void configFolderOfAnyBytes();
    void storePermissionsHold_data();
    void storePermissionsHold();
    void oddLockLetsTheGameStart_data();
    void oddLockLetsTheGameStart();
    void noGraphicalSessionSaysSo_data();
    void noGraphicalSessionSaysSo();
};

void TestStartup::convertWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<qint64>("value");

    const qint64 i32min = std::numeric_limits<qint32>::min();
    const qint64 i32max = std::numeric_limits<qint32>::max();
    QTest::newRow("digits") << "250" << i32min << i32max << true << qint64(250);
    QTest::newRow("blanks around") << " 250 " << i32min << i32max << true << qint64(250);
    QTest::newRow("negative") << "-40" << i32min << i32max << true << qint64(-40);
    QTest::newRow("32-bit top") << "2147483647" << i32min << i32max << true << i32max;
    QTest::newRow("above 32 bits") << "2147483648" << i32min << i32max << false << qint64(0);
    QTest::newRow("far above") << "99999999999" << i32min << i32max << false << qint64(0);
    QTest::newRow("half rounds to even, down") << "2.5" << i32min << i32max << true << qint64(2);
    QTest::newRow("half rounds to even, up") << "3.5" << i32min << i32max << true << qint64(4);
    QTest::newRow("letters") << "abc" << i32min << i32max << false << qint64(0);
    QTest::newRow("trailing letters") << "12abc" << i32min << i32max << false << qint64(0);
    QTest::newRow("empty") << "" << i32min << i32max << false << qint64(0);
    QTest::newRow("infinity") << "inf" << i32min << i32max << false << qint64(0);
    QTest::newRow("16-bit over") << "70000" << qint64(-32768) << qint64(32767) << false
                                 << qint64(0);
}

void TestStartup::convertWhole()
{
    QFETCH(QString, text);
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(bool, converts);
    QFETCH(qint64, value);
    const auto result = rules::ConvertWhole(text, QLocale::c(), min, max);
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(*result, value);
}

void TestStartup::initGame_data()
{
    QTest::addColumn<QString>("score");    // null: not stored
    QTest::addColumn<QString>("cardDeck"); // null: not stored
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("back");
    QTest::addColumn<bool>("welcome");

    const QString none;
    QTest::newRow("no settings") << none << none << 100 << 63 << true;
    QTest::newRow("score 250") << "250" << none << 250 << 63 << false;
    QTest::newRow("score 0") << "0" << none << 100 << 63 << true;
    QTest::newRow("score -40") << "-40" << none << 100 << 63 << true;
    QTest::newRow("score abc") << "abc" << none << 100 << 63 << true;
    QTest::newRow("score too big") << "99999999999" << none << 100 << 63 << true;
    QTest::newRow("score empty") << "" << none << 100 << 63 << true;
    QTest::newRow("card deck 54") << "250"
                                  << "54" << 250 << 54 << false;
    QTest::newRow("card deck 68") << "250"
                                  << "68" << 250 << 68 << false;
    QTest::newRow("card deck 53") << "250"
                                  << "53" << 250 << 63 << false;
    QTest::newRow("card deck 69") << "250"
                                  << "69" << 250 << 63 << false;
    QTest::newRow("card deck 0") << "250"
                                 << "0" << 250 << 63 << false;
    QTest::newRow("card deck x") << "250"
                                 << "x" << 250 << 63 << false;
    QTest::newRow("card deck beyond 16 bits") << "250"
                                              << "65593" << 250 << 63 << false;
    QTest::newRow("new player keeps card deck") << none << "57" << 100 << 57 << true;
}

void TestStartup::initGame()
{
    QFETCH(QString, score);
    QFETCH(QString, cardDeck);
    QFETCH(int, account);
    QFETCH(int, back);
    QFETCH(bool, welcome);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessaro.conf"));
    WriteRaw(path, score, cardDeck);
    QSettingsStore store(path);
    Table table(Table::Unstarted{7});
    Form_Load(table.window, store);

    const rules::GameState& state = table.window.state();
    QCOMPARE(state.Account, account);
    QCOMPARE(table.ui.lblAccount->text(), QStringLiteral("$ %1").arg(account));
    QCOMPARE(state.CardBack, back);
    QCOMPARE(CheckedBacks(table), QList<int>{back});
    if (welcome) {
        QCOMPARE(table.sound.calls, QStringList{"play DATA_7"});
        QCOMPARE(table.host.boxes.size(), size_t(1));
        QCOMPARE(table.host.boxes[0].prompt, kWelcome);
        QCOMPARE(table.host.boxes[0].style, BoxStyle::Exclamation);
        QCOMPARE(table.host.boxes[0].title, QStringLiteral("Welcome !"));
    } else {
        QCOMPARE(table.sound.calls, QStringList{});
        QCOMPARE(table.host.boxes.size(), size_t(0));
    }

    // The rest of the table is ready to bet.
    QVERIFY(state.Ready);
    QVERIFY(state.ShowMessages);
    QVERIFY(table.ui.mnuMessages->isChecked());
    QVERIFY(!state.HandDealt);
    QCOMPARE(state.Bet, 0);
    QCOMPARE(table.ui.lblBet->text(), QStringLiteral("$ 0"));
    for (QPushButton* hold : table.ui.cmdHold)
        QVERIFY(!hold->isEnabled());
    QVERIFY(table.ui.cmdDeal->isEnabled());
    QCOMPARE(state.Deck.size(), size_t(52));
    cards::CardString sorted = state.Deck;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 52; ++i)
        QCOMPARE(sorted[i], i + 1);
    QVERIFY(!std::is_sorted(state.Deck.begin(), state.Deck.end()));
}

void TestStartup::twoStartsKeepBothValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessaro.conf"));
    WriteRaw(path, QStringLiteral("0777"), QStringLiteral("060"));
    for (int run = 0; run < 2; ++run) {
        QSettingsStore store(path);
        Table table(Table::Unstarted{7});
        Shutdown shutdown(table.window, store, [&store] { QVERIFY(store.sync()); });
        Form_Load(table.window, store);
        shutdown.startupFinished();
        QCOMPARE(table.window.state().Account, 777);
        QCOMPARE(table.window.state().CardBack, 60);
        QCOMPARE(table.host.boxes.size(), size_t(0));
        table.ui.mnuQuit->trigger();
        QVERIFY(shutdown.unloaded());
        // Written back as plain decimal text.
        QCOMPARE(SettingsLines(path), (QStringList{"[Settings]", "CardDeck=60", "Score=777"}));
    }
}

void TestStartup::unloadSavesOnce_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("loopsEnded");
    QTest::addColumn<QString>("score");

    QTest::newRow("Quit") << "quit" << 0 << "Score=250";
    QTest::newRow("Quit twice") << "quit quit" << 0 << "Score=250";
    QTest::newRow("close box") << "close" << 0 << "Score=250";
    QTest::newRow("end of the game") << "lose close" << 0 << "Score=0";
    QTest::newRow("Reset Score then close") << "reset close" << 0 << "Score=100";
    QTest::newRow("end of session") << "session" << 1 << "Score=250";
    QTest::newRow("end of session after Quit") << "quit session" << 1 << "Score=250";
    QTest::newRow("event loop ended, window open") << "loop-ends" << 0 << "Score=250";
    QTest::newRow("signal during the welcome box") << "welcome-signal" << 1 << "Score=100";
    // Two pairs on a bet of 10: 250 - 10 + 20.
    QTest::newRow("signal during a winning result box") << "win-signal" << 1 << "Score=260";
}

void TestStartup::unloadSavesOnce()
{
    QFETCH(QString, path);
    QFETCH(int, loopsEnded);
    QFETCH(QString, score);

    MemoryStore store;
    if (path != QLatin1String("welcome-signal"))
        store.values = {{"Score", "250"}, {"CardDeck", "58"}};
    Table table(Table::Unstarted{7});
    int ended = 0;
    int flushed = 0;
    Shutdown shutdown(
        table.window, store, [&] { ++flushed; }, [&] { ++ended; });
    if (path == QLatin1String("welcome-signal"))
        table.host.onBox = [&] { shutdown.requestUnload(); };
    Form_Load(table.window, store);
    QCOMPARE(store.writes, QStringList{}); // a request during start-up waits for its end
    shutdown.startupFinished();

    for (const QString& step : path.split(QLatin1Char(' '))) {
        if (step == QLatin1String("quit"))
            table.ui.mnuQuit->trigger();
        else if (step == QLatin1String("close"))
            table.window.close();
        else if (step == QLatin1String("lose"))
            WritableState(table.window).Account = 0;
        else if (step == QLatin1String("reset"))
            table.ui.mnuReset->trigger();
        else if (step == QLatin1String("session"))
            shutdown.requestUnload();
        else if (step == QLatin1String("loop-ends")) {
            // Something other than the window ends the loop: the window still unloads.
            shutdown.watchSession(*qApp);
            table.window.show();
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        } else if (step == QLatin1String("win-signal")) {
            // J J 2 2 5, kept whole: the result box opens, and the signal comes.
            WritableState(table.window).Bet = 10;
            table.random.stackDeck({11, 24, 2, 15, 5});
            table.host.onBox = [&] { shutdown.requestUnload(); };
            table.ui.cmdDeal->click();
            table.ui.cmdDeal->click();
            QCOMPARE(table.host.boxes.back().title, QStringLiteral("+$20"));
        }
    }
    const QString back = path == QLatin1String("welcome-signal") ? "CardDeck=63" : "CardDeck=58";
    QCOMPARE(store.writes, (QStringList{back, score}));
    QCOMPARE(flushed, 1);
    QCOMPARE(shutdown.saves(), 1);
    QCOMPARE(ended, loopsEnded);
}

void TestStartup::defaultStoreIsTessaroConf()
{
    const QString expected = configHome + QStringLiteral("/Tessaro.conf");
    {
        QSettingsStore store;
        QCOMPARE(store.fileName(), expected);
        store.write(QStringLiteral("CardDeck"), QStringLiteral("55"));
        store.write(QStringLiteral("Score"), QStringLiteral("-40"));
        QVERIFY(store.sync());
    }
    QCOMPARE(SettingsLines(expected), (QStringList{"[Settings]", "CardDeck=55", "Score=-40"}));
    QSettingsStore again;
    QCOMPARE(again.read(QStringLiteral("Score"), QStringLiteral("0")), QStringLiteral("-40"));
    QCOMPARE(again.read(QStringLiteral("Missing"), QStringLiteral("63")), QStringLiteral("63"));
}

void TestStartup::saveKeepsLinkModeAndOtherKeys_data()
{
    QTest::addColumn<bool>("linked");
    QTest::addColumn<int>("mode");
    QTest::newRow("file, owner only") << false << 0600;
    QTest::newRow("file, readable by all") << false << 0644;
    QTest::newRow("link to a file") << true << 0640;
}

// The save writes a new file and renames it over the old one: the store must
// still be what it was (a link stays a link, the mode stays), with every
// other key of the shared Tessaro file kept.
void TestStartup::saveKeepsLinkModeAndOtherKeys()
{
    QFETCH(bool, linked);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("real.conf"));
    WriteBytes(file, "[Other]\nName=kept\n\n[Settings]\nScore=5\n");
    QVERIFY(::chmod(QFile::encodeName(file).constData(), static_cast<mode_t>(mode)) == 0);
    QString path = file;
    if (linked) {
        path = dir.filePath(QStringLiteral("Tessaro.conf"));
        QVERIFY(QFile::link(file, path));
    }
    QSettingsStore store(path);
    store.write(QStringLiteral("Score"), QStringLiteral("77"));
    QVERIFY(store.sync());

    QCOMPARE(QFileInfo(path).isSymLink(), linked);
    struct stat saved = {};
    QVERIFY(::stat(QFile::encodeName(file).constData(), &saved) == 0);
    QCOMPARE(int(saved.st_mode & 07777), mode);
    QCOMPARE(SettingsLines(file), (QStringList{"[Other]", "Name=kept", "[Settings]", "Score=77"}));
}

void TestStartup::brokenStoreNeverStopsTheGame_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("account");
    QTest::addColumn<bool>("writable");

    // Run as root, permissions alone would not stop a write, so the store is
    // made unreachable by a file standing where a folder should be.
    QTest::newRow("config folder is a file") << "under-file" << 100 << false;
    QTest::newRow("store is a folder") << "folder" << 100 << false;
    QTest::newRow("binary junk") << "junk" << 100 << true;
    QTest::newRow("unclosed section") << "unclosed" << 100 << true;
    QTest::newRow("list instead of number") << "list" << 100 << true;
    // Room for the store's name, none for the new file's beside it.
    QTest::newRow("path near the length limit") << "long" << 250 << false;
}

void TestStartup::brokenStoreNeverStopsTheGame()
{
    QFETCH(QString, kind);
    QFETCH(int, account);
    QFETCH(bool, writable);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Tessaro.conf"));
    if (kind == QLatin1String("under-file")) {
        QFile blocker(dir.filePath(QStringLiteral("config")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        path = blocker.fileName() + QStringLiteral("/Tessaro.conf");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Tessaro.conf")));
    } else if (kind == QLatin1String("long")) {
        QString folder = dir.path();
        while (folder.size() < 4069 - 250)
            folder += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        folder += QLatin1Char('/') + QString(4069 - folder.size() - 1, QLatin1Char('e'));
        QVERIFY(QDir().mkpath(folder));
        path = folder + QStringLiteral("/Tessaro.conf");
        WriteRaw(path, QStringLiteral("250"), QString());
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("junk"))
            file.write(QByteArray("\x00\xff\xfe[[=\x01\n\x80Score", 13));
        else if (kind == QLatin1String("unclosed"))
            file.write("[Settings\nScore=-5\n");
        else
            file.write("[Settings]\nScore=1,000,x\nCardDeck=1,2\n");
    }

    QSettingsStore store(path);
    Table table(Table::Unstarted{7});
    bool synced = true;
    Shutdown shutdown(table.window, store, [&] { synced = store.sync(); });
    Form_Load(table.window, store);
    shutdown.startupFinished();
    QCOMPARE(table.window.state().Account, account);
    QCOMPARE(table.window.state().CardBack, 63);
    WritableState(table.window).Account = 420;
    table.window.close();
    QVERIFY(shutdown.unloaded());
    QCOMPARE(synced, writable);
    // The player is told which file was not saved, whatever its length.
    if (!writable)
        QVERIFY2(store.errorString().contains(path), qPrintable(store.errorString()));
    if (writable) {
        QSettingsStore reread(path);
        QCOMPARE(reread.read(QStringLiteral("Score"), QString()), QStringLiteral("420"));
        QCOMPARE(reread.read(QStringLiteral("CardDeck"), QString()), QStringLiteral("63"));
    }
}

void TestStartup::signalClosesLikeQuit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QStringList>("saved");

    const QStringList stored{"[Settings]", "CardDeck=57", "Score=250"};
    QTest::newRow("SIGTERM") << int(SIGTERM) << "stored" << stored;
    QTest::newRow("SIGINT") << int(SIGINT) << "stored" << stored;
    QTest::newRow("SIGHUP") << int(SIGHUP) << "stored" << stored;
    // No score: the welcome box is open when the signal comes.
    QTest::newRow("SIGTERM over the welcome box")
        << int(SIGTERM) << "empty" << QStringList{"[Settings]", "CardDeck=63", "Score=100"};
    QTest::newRow("SIGTERM, store not writable") << int(SIGTERM) << "unwritable" << QStringList{};
}

void TestStartup::signalClosesLikeQuit()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, store);
    QFETCH(QStringList, saved);

    QTemporaryDir dir;
    QString home = dir.path();
    if (store == QLatin1String("stored")) {
        // Leading zeros are rewritten, which proves the save happened.
        WriteRaw(dir.filePath(QStringLiteral("Tessaro.conf")), QStringLiteral("0250"),
                 QStringLiteral("057"));
    } else if (store == QLatin1String("unwritable")) {
        QFile blocker(dir.filePath(QStringLiteral("config")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        home = blocker.fileName();
    }

    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    game.setProcessEnvironment(env);
    game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    game.start(QStringLiteral(QUINTARA_BINARY), {});
    QVERIFY(game.waitForStarted());
    // Long enough for the window (or the welcome box) to be up, even in a
    // sanitizer build; a signal that comes earlier still waits in the pipe.
    QTest::qWait(1500);
    QCOMPARE(game.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(game.processId()), signalNumber);
    QVERIFY(game.waitForFinished(15000));
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
    if (!saved.isEmpty())
        QCOMPARE(SettingsLines(dir.filePath(QStringLiteral("Tessaro.conf"))), saved);
}

// Plays one session on the store at `path`, from the start to an unload with
// an account of 420, and saves it; gives the account the game started with.
qint32 PlaySessionOn(QSettingsStore& store, bool& synced)
{
    Table table(Table::Unstarted{7});
    Shutdown shutdown(table.window, store, [&] { synced = store.sync(); });
    Form_Load(table.window, store);
    shutdown.startupFinished();
    const qint32 opened = table.window.state().Account;
    WritableState(table.window).Account = 420;
    table.window.close();
    return opened;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestStartup::storeThatGaveNoAccountIsKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("kept");

    QByteArray utf16("\xff\xfe", 2);
    for (QChar c : QStringLiteral("[Settings]\nScore=250\n"))
        utf16 += QByteArray(1, static_cast<char>(c.unicode())) + QByteArray(1, '\0');
    QTest::newRow("saved as UTF-16") << utf16 << true;
    QTest::newRow("section in other case") << QByteArray("[settings]\nScore=250\n") << true;
    QTest::newRow("key in other case") << QByteArray("[Settings]\nscore=250\n") << true;
    QTest::newRow("NUL inside the value") << QByteArray("[Settings]\nScore=25\0"
                                                        "0\n",
                                                        22)
                                          << true;
    // A game lost to the end is an account, of 0: nothing to keep.
    QTest::newRow("lost game") << QByteArray("[Settings]\nScore=0\nCardDeck=55\n") << false;
}

// A store that is there but gives no account starts a new player, as the
// rules say; its old bytes must survive the save that follows.
void TestStartup::storeThatGaveNoAccountIsKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessaro.conf"));
    WriteBytes(path, bytes);

    QSettingsStore store(path);
    bool synced = false;
    QCOMPARE(PlaySessionOn(store, synced), 100);
    QVERIFY2(synced, qPrintable(store.errorString()));
    QSettingsStore reread(path);
    QCOMPARE(reread.read(QStringLiteral("Score"), QString()), QStringLiteral("420"));
    const QString copy = path + QStringLiteral(".unread");
    QCOMPARE(QFile::exists(copy), kept);
    if (kept) {
        QCOMPARE(Bytes(copy), bytes);
        QVERIFY2(store.notice().contains(copy), qPrintable(store.notice()));
    } else {
        QCOMPARE(store.notice(), QString());
    }
}

// A config folder whose name is not UTF-8 is the one the game reads and
// writes, and no look-alike folder appears beside it.
void TestStartup::configFolderOfAnyBytes()
{
    QTemporaryDir dir;
    const QByteArray parent = QFile::encodeName(dir.path());
    const QByteArray folder = parent + "/caf\xe9";
    QVERIFY(::mkdir(folder.constData(), 0700) == 0);
    const QByteArray file = folder + "/Tessaro.conf";
    FILE* raw = std::fopen(file.constData(), "w");
    QVERIFY(raw);
    std::fputs("[Settings]\nScore=250\nCardDeck=57\n", raw);
    std::fclose(raw);

    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder);
    {
        QSettingsStore store;
        SingleInstance instance(store.fileName());
        QCOMPARE(instance.claim(), SingleInstance::Role::First);
        bool synced = false;
        QCOMPARE(PlaySessionOn(store, synced), 250);
        QVERIFY2(synced, qPrintable(store.errorString()));
    }
    qputenv("XDG_CONFIG_HOME", saved);

    raw = std::fopen(file.constData(), "r");
    QVERIFY(raw);
    char text[128] = {};
    const size_t read = std::fread(text, 1, sizeof text - 1, raw);
    std::fclose(raw);
    QCOMPARE(QByteArray(text, static_cast<qsizetype>(read)),
             QByteArray("[Settings]\nCardDeck=57\nScore=420\n"));
    // Listed by bytes: Qt would not list a name it cannot decode.
    int entries = 0;
    DIR* listing = ::opendir(parent.constData());
    QVERIFY(listing);
    while (const dirent* entry = ::readdir(listing))
        entries += std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0;
    ::closedir(listing);
    QCOMPARE(entries, 1);
}

void TestStartup::storePermissionsHold_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("saved");
    QTest::newRow("read-only store") << 0444 << false;
    QTest::newRow("write-only store") << 0200 << true;
}

// Run as a user permissions bind (tests/as_unprivileged.sh): a read-only store
// is left as it is, with a word; a write-only one cannot be read, so it
// starts a new player, and its old file is kept before the save.
void TestStartup::storePermissionsHold()
{
    QFETCH(int, mode);
    QFETCH(bool, saved);
    if (::geteuid() == 0)
        QSKIP("permissions do not bind root; tests/as_unprivileged.sh runs this as another user");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessaro.conf"));
    const QByteArray before("[Settings]\nScore=250\nCardDeck=57\n");
    WriteBytes(path, before);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0);
    struct stat old = {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &old) == 0);

    QSettingsStore store(path);
    bool synced = true;
    const qint32 opened = PlaySessionOn(store, synced);
    QCOMPARE(synced, saved);
    struct stat now = {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &now) == 0);
    if (!saved) {
        QCOMPARE(opened, 250);
        QVERIFY2(store.errorString().contains(path), qPrintable(store.errorString()));
        QCOMPARE(now.st_ino, old.st_ino);
        QCOMPARE(Bytes(path), before);
        return;
    }
    QCOMPARE(opened, 100);
    // The old file itself, unread, under the second name.
    struct stat copy = {};
    QVERIFY(::stat(QFile::encodeName(path + QStringLiteral(".unread")).constData(), &copy) == 0);
    QCOMPARE(copy.st_ino, old.st_ino);
    QCOMPARE(copy.st_size, old.st_size);
    QSettingsStore reread(path);
    QCOMPARE(reread.read(QStringLiteral("Score"), QString()), QStringLiteral("420"));
}

void TestStartup::oddLockLetsTheGameStart_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<SingleInstance::Role>("role");
    QTest::newRow("empty") << "empty" << SingleInstance::Role::First;
    QTest::newRow("garbage") << "garbage" << SingleInstance::Role::First;
    QTest::newRow("written by another host") << "other-host" << SingleInstance::Role::First;
    QTest::newRow("dangling symlink") << "symlink" << SingleInstance::Role::First;
    QTest::newRow("unreadable") << "unreadable" << SingleInstance::Role::First;
    // Cannot be taken over: the game starts and names the file.
    QTest::newRow("a folder") << "folder" << SingleInstance::Role::Unguarded;
    // A game that holds the lock is left alone.
    QTest::newRow("held by a running game") << "held" << SingleInstance::Role::Second;
}

void TestStartup::oddLockLetsTheGameStart()
{
    QFETCH(QString, lock);
    QFETCH(SingleInstance::Role, role);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tessaro.conf"));
    WriteRaw(store, QStringLiteral("250"), QStringLiteral("57"));
    const QString lockPath = dir.filePath(QStringLiteral(".Tessaro.conf.quintara-lock"));
    const auto writeLock = [&](const QByteArray& bytes) { WriteBytes(lockPath, bytes); };
    std::optional<SingleInstance> holder;
    if (lock == QLatin1String("empty"))
        writeLock({});
    else if (lock == QLatin1String("garbage"))
        writeLock(QByteArray("\x93\x01zz\n\n", 6));
    else if (lock == QLatin1String("other-host"))
        writeLock("4242\nquintara\nsome-other-host.example\n");
    else if (lock == QLatin1String("symlink"))
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), lockPath));
    else if (lock == QLatin1String("unreadable")) {
        writeLock(QByteArray("\x93", 1));
        QVERIFY(::chmod(QFile::encodeName(lockPath).constData(), 0) == 0);
    } else if (lock == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QFileInfo(lockPath).fileName()));
    else {
        holder.emplace(store);
        QCOMPARE(holder->claim(), SingleInstance::Role::First);
    }

    SingleInstance instance(store);
    QCOMPARE(instance.claim(), role);
}

void TestStartup::noGraphicalSessionSaysSo_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("said");
    QTest::newRow("no display") << QString() << "graphical session";
    QTest::newRow("a display nobody serves") << ":4093"
                                             << "cannot be opened";
}

void TestStartup::noGraphicalSessionSaysSo()
{
    QFETCH(QString, display);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(QUINTARA_BINARY), {});
    QVERIFY(game.waitForFinished(15000));
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 1);
    const QStringList lines =
        QString::fromUtf8(game.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(said), qPrintable(lines.first()));
    // Nothing was stored: the game never started.
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Tessaro.conf"))));
}

int main(int argc, char* argv[])
{
    return RunWithConfigHome<TestStartup>(argc, argv);
}

#include "test_startup.moc"
