// Start-up against stored settings of every shape: random values in memory,
// hand-edited lines and broken files read by QSettings itself. Whatever is
// stored, the table must come up in exactly the state start-up promises.
//
// QUINTARA_FUZZ_CASES sets the number of stores per row, QUINTARA_SEED
// replays a run.

#include "card_code.h"
#include "fuzz_support.h"
#include "main_window.h"
#include "settings_store.h"
#include "startup.h"
#include "table_doubles.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

const QString kScore = QStringLiteral("Score");
const QString kCardDeck = QStringLiteral("CardDeck");

// What start-up must leave, given what "Score" and "CardDeck" convert to.
struct Promise
{
    qint32 account;
    int back;
    bool welcome;

    static Promise From(std::optional<qint64> score, std::optional<qint64> back)
    {
        const bool keep = score && *score > 0;
        const int code = back && *back >= cards::kFirstBack && *back <= cards::kLastBack
                             ? static_cast<int>(*back)
                             : cards::kDefaultBack;
        return {keep ? static_cast<qint32>(*score) : 100, code, !keep};
    }
};

// An empty text when the table is as promised, else the first difference.
QString Broken(const Table& table, const Promise& promise)
{
    const rules::GameState& s = table.window.state();
    const TableControls& window = table.ui;
    const FakeHost& host = table.host;
    if (s.Account != promise.account)
        return QStringLiteral("Account %1, expected %2").arg(s.Account).arg(promise.account);
    if (window.lblAccount->text() != QStringLiteral("$ %1").arg(promise.account))
        return QStringLiteral("lblAccount %1").arg(window.lblAccount->text());
    if (s.CardBack != promise.back)
        return QStringLiteral("CardBack %1, expected %2").arg(s.CardBack).arg(promise.back);
    QList<int> checked;
    for (const auto& [code, item] : window.mnuCD) {
        if (item->isChecked())
            checked << code;
    }
    if (checked != QList<int>{promise.back}) {
        QStringList codes;
        for (int code : checked)
            codes << QString::number(code);
        return QStringLiteral("check marks on %1").arg(codes.join(QLatin1Char(',')));
    }
    const QStringList sounds = promise.welcome ? QStringList{"play DATA_7"} : QStringList{};
    if (table.sound.calls != sounds)
        return QStringLiteral("sounds %1").arg(table.sound.calls.join(QLatin1Char(',')));
    if (host.boxes.size() != (promise.welcome ? 1u : 0u))
        return QStringLiteral("%1 boxes").arg(host.boxes.size());
    if (promise.welcome && (host.boxes[0].title != QStringLiteral("Welcome !") ||
                            host.boxes[0].style != BoxStyle::Exclamation))
        return QStringLiteral("welcome box titled %1").arg(host.boxes[0].title);
    if (!s.Ready || !s.ShowMessages || s.HandDealt || s.Bet != 0)
        return QStringLiteral("flags Ready %1 ShowMessages %2 HandDealt %3 Bet %4")
            .arg(s.Ready)
            .arg(s.ShowMessages)
            .arg(s.HandDealt)
            .arg(s.Bet);
    if (window.lblBet->text() != QStringLiteral("$ 0"))
        return QStringLiteral("lblBet %1").arg(window.lblBet->text());
    for (const QPushButton* hold : window.cmdHold) {
        if (hold->isEnabled())
            return QStringLiteral("%1 enabled").arg(hold->objectName());
    }
    if (!window.cmdDeal->isEnabled() || !window.cmdBet->isEnabled())
        return QStringLiteral("Deal or Bet disabled");
    cards::CardString sorted = s.Deck;
    std::sort(sorted.begin(), sorted.end());
    cards::CardString full(cards::kCardCount);
    for (int i = 0; i < cards::kCardCount; ++i)
        full[static_cast<std::size_t>(i)] = i + 1;
    if (sorted != full)
        return QStringLiteral("deck of %1 cards is not the 52").arg(s.Deck.size());
    return {};
}

// Runs start-up on a new table over `store`; the difference from the promise.
QString StartUp(SettingsStore& store, const Promise& promise, quint64 seed)
{
    Table table(Table::Unstarted{seed});
    Form_Load(table.window, store);
    return Broken(table, promise);
}

// The promise for what a store reads back: default "0" and "63" when absent.
Promise PromiseOf(SettingsStore& store)
{
    const QLocale locale;
    return Promise::From(fuzz::RuleWhole(store.read(kScore, QStringLiteral("0")), locale, 32),
                         fuzz::RuleWhole(store.read(kCardDeck, QStringLiteral("63")), locale, 16));
}

void WriteFile(const QString& path, const QByteArray& bytes, qint64 stamp)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    // QSettings keeps parsed files by name and rereads one only when its size
    // or time changes; two cases of equal size must not share a parse.
    QVERIFY(file.setFileTime(QDateTime::fromSecsSinceEpoch(1'700'000'000 + stamp),
                             QFileDevice::FileModificationTime));
}

// Values as a hand may type them into the file: only such texts must come
// back from QSettings as written.
bool IsPlain(const QString& text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c.isLetterOrNumber() && c.unicode() < 0x80) || c == QLatin1Char('.') ||
               c == QLatin1Char('-') || c == QLatin1Char('+');
    });
}

QByteArray RandomBytes(fuzz::Dice& dice, int length)
{
    QByteArray bytes(length, '\0');
    for (char& b : bytes)
        b = static_cast<char>(dice.below(256));
    return bytes;
}

} // namespace

class TestFuzzSettings : public QObject
{
    Q_OBJECT

  public:
    QString configHome;

  private slots:
    void initTestCase();
    void startUpKeepsItsPromise_data();
    void startUpKeepsItsPromise();
    void storedFiles_data();
    void storedFiles();

  private:
    QString memoryCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed);
    QString lineCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed, int index);
    QString fileCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed, int index);

    quint64 m_seed = 0;
    int m_cases = 0;
    QTemporaryDir m_files;
};

void TestFuzzSettings::initTestCase()
{
    m_seed = fuzz::Seed();
    m_cases = fuzz::Count("QUINTARA_FUZZ_CASES", 150);
    qInfo("seed %llu (QUINTARA_SEED replays), %d stores per row, locale %s",
          static_cast<unsigned long long>(m_seed), m_cases, qPrintable(QLocale().name()));
    QVERIFY(m_files.isValid());
}

void TestFuzzSettings::startUpKeepsItsPromise_data()
{
    QTest::addColumn<int>("source");
    QTest::newRow("values in memory") << 0;
    QTest::newRow("hand-edited Tessaro.conf") << 1;
    QTest::newRow("whole files, broken or not") << 2;
}

void TestFuzzSettings::startUpKeepsItsPromise()
{
    QFETCH(int, source);
    fuzz::Dice dice(m_seed + static_cast<quint64>(source) * 0x9e3779b97f4a7c15ULL);
    fuzz::NumberTexts texts(dice, QLocale());
    for (int i = 0; i < m_cases; ++i) {
        const quint64 deckSeed = dice.engine()();
        QString failure;
        if (source == 0)
            failure = memoryCase(dice, texts, deckSeed);
        else if (source == 1)
            failure = lineCase(dice, texts, deckSeed, i);
        else
            failure = fileCase(dice, texts, deckSeed, i);
        QVERIFY2(failure.isEmpty(),
                 qPrintable(QStringLiteral("seed %1 case %2: %3").arg(m_seed).arg(i).arg(failure)));
    }
}

QString TestFuzzSettings::memoryCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed)
{
    MemoryStore store;
    std::optional<qint64> score = 0;
    std::optional<qint64> back = cards::kDefaultBack;
    QString shown = QStringLiteral("store");
    if (dice.chance(0.9)) {
        const fuzz::NumberText text = texts.next(250, 2000);
        store.values[kScore] = text.text;
        score = text.expected(QLocale(), 32);
        // The way the text was made and the rule must agree on what it means.
        if (text.meaning != fuzz::NumberText::Meaning::AskTheRule &&
            fuzz::RuleWhole(text.text, QLocale(), 32) != score)
            return QStringLiteral("test's rule misreads Score %1").arg(fuzz::Quoted(text.text));
        shown += QStringLiteral(" Score=") + fuzz::Quoted(text.text);
    }
    if (dice.chance(0.9)) {
        const fuzz::NumberText text = texts.next(61, 10);
        store.values[kCardDeck] = text.text;
        back = text.expected(QLocale(), 16);
        if (text.meaning != fuzz::NumberText::Meaning::AskTheRule &&
            fuzz::RuleWhole(text.text, QLocale(), 16) != back)
            return QStringLiteral("test's rule misreads CardDeck %1").arg(fuzz::Quoted(text.text));
        shown += QStringLiteral(" CardDeck=") + fuzz::Quoted(text.text);
    }
    const QString failure = StartUp(store, Promise::From(score, back), seed);
    return failure.isEmpty() ? failure : shown + QStringLiteral(": ") + failure;
}

QString TestFuzzSettings::lineCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed,
                                   int index)
{
    const QString path = configHome + QStringLiteral("/Tessaro.conf");
    QStringList lines;
    QList<std::pair<QString, QString>> values;
    for (const QString& key : {kScore, kCardDeck}) {
        if (dice.chance(0.1))
            continue;
        const fuzz::NumberText text = key == kScore ? texts.next(250, 2000) : texts.next(61, 10);
        lines << key + QLatin1Char('=') + text.text;
        values.append({key, text.text});
    }
    // A quote or a line break in one value may swallow the next line, so
    // values come back as written only when all of them are plain.
    const bool plain = std::all_of(values.begin(), values.end(),
                                   [](const auto& value) { return IsPlain(value.second); });
    if (dice.chance(0.3))
        lines << QStringLiteral("Other=1");
    if (dice.chance(0.5))
        std::reverse(lines.begin(), lines.end());
    lines.prepend(QStringLiteral("[Settings]"));
    if (dice.chance(0.2))
        lines << QStringLiteral("[Elsewhere]") << QStringLiteral("Score=5");
    const QByteArray bytes = lines.join(QLatin1String(dice.chance(0.2) ? "\r\n" : "\n")).toUtf8();
    WriteFile(path, bytes, index);

    QSettingsStore store; // Tessaro.conf in XDG_CONFIG_HOME, as the game finds it
    if (store.fileName() != path)
        return QStringLiteral("store is %1").arg(store.fileName());
    for (const auto& [key, text] : values) {
        const QString read = store.read(key, QString());
        if (!plain)
            break;
        if (read != text)
            return QStringLiteral("%1=%2 reads back as %3 from %4")
                .arg(key, fuzz::Quoted(text), fuzz::Quoted(read),
                     fuzz::Quoted(QString::fromUtf8(bytes)));
    }
    const Promise promise = PromiseOf(store);
    const QString failure = StartUp(store, promise, seed);
    return failure.isEmpty()
               ? failure
               : QStringLiteral("file %1: %2").arg(fuzz::Quoted(QString::fromUtf8(bytes)), failure);
}

QString TestFuzzSettings::fileCase(fuzz::Dice& dice, fuzz::NumberTexts& texts, quint64 seed,
                                   int index)
{
    const QByteArray valid = QStringLiteral("[Settings]\nCardDeck=%1\nScore=%2\n")
                                 .arg(texts.next(61, 10).text, texts.next(250, 2000).text)
                                 .toUtf8();
    QByteArray bytes;
    bool empty = false;
    switch (dice.below(7)) {
    case 0:
        empty = true;
        break;
    case 1:
        bytes = valid.left(dice.below(static_cast<int>(valid.size()) + 1));
        break;
    case 2:
        bytes = RandomBytes(dice, dice.below(400));
        break;
    case 3:
        bytes = QByteArray("[Settings]\nScore=") + RandomBytes(dice, dice.below(60)) +
                QByteArray("\nCardDeck=") + RandomBytes(dice, dice.below(20));
        break;
    case 4:
        bytes = RandomBytes(dice, dice.below(100)) + "\n" + valid;
        break;
    case 5:
        bytes = QByteArray("\xef\xbb\xbf") + valid;
        bytes.replace('\n', "\r\n");
        break;
    default: {
        // One byte of a valid file changed: the damage a bad disk or editor does.
        bytes = valid;
        if (!bytes.isEmpty())
            bytes[dice.below(static_cast<int>(bytes.size()))] = static_cast<char>(dice.below(256));
        break;
    }
    }
    // Half in the game's own place, half in a file of its own.
    const QString path = dice.chance(0.5)
                             ? configHome + QStringLiteral("/Tessaro.conf")
                             : m_files.filePath(QStringLiteral("case-%1.conf").arg(index));
    WriteFile(path, bytes, 100000 + index);
    const bool ownPlace = path.startsWith(configHome);
    std::unique_ptr<QSettingsStore> store =
        ownPlace ? std::make_unique<QSettingsStore>() : std::make_unique<QSettingsStore>(path);
    const Promise promise = empty ? Promise{100, cards::kDefaultBack, true} : PromiseOf(*store);
    const QString failure = StartUp(*store, promise, seed);
    return failure.isEmpty() ? failure
                             : QStringLiteral("file %1: %2")
                                   .arg(fuzz::Quoted(QString::fromLatin1(bytes)), failure);
}

// Files a player may really leave behind, with the state each must give.
void TestFuzzSettings::storedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("back");

    QTest::newRow("empty") << QByteArray() << 100 << 63;
    QTest::newRow("section only") << QByteArray("[Settings]\n") << 100 << 63;
    QTest::newRow("quoted values")
        << QByteArray("[Settings]\nScore=\"250\"\nCardDeck=\"57\"\n") << 250 << 57;
    QTest::newRow("blanks around")
        << QByteArray("[Settings]\nScore =  250  \nCardDeck= 57\n") << 250 << 57;
    QTest::newRow("Windows line ends and a mark")
        << QByteArray("\xef\xbb\xbf[Settings]\r\nScore=250\r\nCardDeck=57\r\n") << 250 << 57;
    // A comma groups thousands, unless the locale writes its decimals with one.
    QTest::newRow("thousands with a comma")
        << QByteArray("[Settings]\nScore=1,000\n")
        << (QLocale().decimalPoint() == QStringLiteral(",") ? 1 : 1000) << 63;
    QTest::newRow("half rounds to even")
        << QByteArray("[Settings]\nScore=2.5\nCardDeck=54.5\n") << 2 << 54;
    QTest::newRow("back rounds into range")
        << QByteArray("[Settings]\nCardDeck=53.6\n") << 100 << 54;
    QTest::newRow("back that wraps in 16 bits")
        << QByteArray("[Settings]\nScore=250\nCardDeck=65599\n") << 250 << 63;
    QTest::newRow("score past 32 bits")
        << QByteArray("[Settings]\nScore=4294967546\n") << 100 << 63;
    QTest::newRow("score of a variant") << QByteArray("[Settings]\nScore=@Variant(\\0\\0\\0\\x2"
                                                      "\\0\\0\\0\\xfa)\n")
                                        << 250 << 63;
    QTest::newRow("score of a rectangle")
        << QByteArray("[Settings]\nScore=@Rect(1 2 3 4)\n") << 100 << 63;
    QTest::newRow("score of a broken variant")
        << QByteArray("[Settings]\nScore=@Variant(\\xff\\xff\\xff\\xff\\xff\\xff\\xff)\n") << 100
        << 63;
    QTest::newRow("keys in another section")
        << QByteArray("[Other]\nScore=250\nCardDeck=57\n") << 100 << 63;
    // Qt reads a section with its closing bracket missing as if it were there.
    QTest::newRow("unclosed section") << QByteArray("[Settings\nScore=250\n") << 250 << 63;
    QTest::newRow("NUL in the value") << QByteArray("[Settings]\nScore=25\0"
                                                    "0\n",
                                                    22)
                                      << 100 << 63;
}

void TestFuzzSettings::storedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, account);
    QFETCH(int, back);

    const QString path = m_files.filePath(QStringLiteral("%1.conf").arg(
        QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), '-')));
    WriteFile(path, bytes, 0);
    QSettingsStore store(path);
    const QString failure = StartUp(store, {account, back, account == 100}, m_seed);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

int main(int argc, char* argv[])
{
    return RunWithConfigHome<TestFuzzSettings>(argc, argv);
}

#include "test_fuzz_settings.moc"
