#pragma once

// Stand-ins for the table's ports and the settings store, and the one table
// window the tests play at: they record what the table asks of the outside
// world and let a test act in the middle of a pause or a box.

#include "card_view.h"
#include "deck.h"
#include "main_window.h"
#include "random.h"
#include "scripted_random.h"
#include "startup.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct Box
{
    QString prompt;
    BoxStyle style;
    QString title;
};

// Host and sound share one event list, so tests see the order of boxes,
// pauses and sounds.
class FakeHost final : public Host
{
  public:
    explicit FakeHost(QStringList& events) : log(events) {}
    void messageBox(const QString& prompt, BoxStyle style, const QString& title) override
    {
        boxes.push_back({prompt, style, title});
        log << QStringLiteral("box ") + title;
        if (onBox)
            onBox();
    }
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        inputs.push_back({prompt, title, defaultText});
        if (replies.empty())
            return {};
        const QString reply = replies.front();
        replies.pop_front();
        return reply;
    }
    void beep() override { ++beeps; }
    void pause() override
    {
        ++pauses;
        log << QStringLiteral("pause");
        if (onPause)
            onPause();
    }

    struct Input
    {
        QString prompt, title, defaultText;
    };
    std::vector<Box> boxes;
    std::vector<Input> inputs;
    std::deque<QString> replies;
    int beeps = 0;
    int pauses = 0;
    QStringList& log;
    std::function<void()> onPause;
    std::function<void()> onBox;
};

class FakeSound final : public SoundPlayer
{
  public:
    explicit FakeSound(QStringList& events) : log(events) {}
    void play(const QString& name) override
    {
        played << name;
        calls << QStringLiteral("play ") + name;
        log << calls.back();
    }
    void stop() override
    {
        ++stops;
        calls << QStringLiteral("stop");
        log << calls.back();
    }
    bool devicePresent() const override { return true; }

    QStringList played;
    QStringList calls; // the sound's own part of the log
    QStringList& log;
    int stops = 0;
};

// Keeps values in memory and remembers every write in order.
class MemoryStore final : public SettingsStore
{
  public:
    QString read(const QString& key, const QString& defaultValue) override
    {
        return values.value(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override
    {
        values[key] = value;
        writes << key + QLatin1Char('=') + value;
    }

    QMap<QString, QString> values;
    QStringList writes;
};

// The window's controls, found by the object names they carry.
struct TableControls
{
    explicit TableControls(const frmQuintara& window) : w(window)
    {
        for (int i = 0; i < 5; ++i) {
            Card[i] = find<CardView>(QStringLiteral("Card_%1").arg(i));
            cmdHold[i] = find<QPushButton>(QStringLiteral("cmdHold_%1").arg(i));
        }
        for (int code = cards::kFirstBack; code <= cards::kLastBack; ++code)
            mnuCD[code] = find<QAction>(QStringLiteral("mnuCD_%1").arg(code));
    }

    template <class T> T* find(const QString& name) const
    {
        T* child = w.findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }

    const frmQuintara& w;
    std::array<CardView*, 5> Card{};
    std::array<QPushButton*, 5> cmdHold{};
    std::map<int, QAction*> mnuCD;
    QWidget* picField = find<QWidget>(QStringLiteral("picField"));
    QPushButton* cmdDeal = find<QPushButton>(QStringLiteral("cmdDeal"));
    QPushButton* cmdBet = find<QPushButton>(QStringLiteral("cmdBet"));
    QPushButton* cmdBetDown = find<QPushButton>(QStringLiteral("cmdBetDown"));
    QPushButton* cmdBetUp = find<QPushButton>(QStringLiteral("cmdBetUp"));
    QLabel* Label2 = find<QLabel>(QStringLiteral("Label2"));
    QLabel* lblAccount = find<QLabel>(QStringLiteral("lblAccount"));
    QLabel* lblBet = find<QLabel>(QStringLiteral("lblBet"));
    QMenu* mnuOptions = find<QMenu>(QStringLiteral("mnuOptions"));
    QMenu* mnuCardDeck = find<QMenu>(QStringLiteral("mnuCardDeck"));
    QAction* mnuReset = find<QAction>(QStringLiteral("mnuReset"));
    QAction* mnuMessages = find<QAction>(QStringLiteral("mnuMessages"));
    QAction* mnuQuit = find<QAction>(QStringLiteral("mnuQuit"));
    QMenu* mnuHelp = find<QMenu>(QStringLiteral("mnuHelp"));
    QAction* mnuInfo = find<QAction>(QStringLiteral("mnuInfo"));
    QAction* mnuAbout = find<QAction>(QStringLiteral("mnuAbout"));
};

// The window hands its state out read-only; a test that must start from a
// position play would take many hands to reach writes it here.
struct StateForTests
{
    static rules::GameState& of(frmQuintara& window) { return window.m_state; }
};
inline rules::GameState& WritableState(frmQuintara& window)
{
    return StateForTests::of(window);
}

// One table window over the fakes, wired as main() wires it.
struct Table
{
    // Nothing started: the test runs start-up itself; deals shuffle from `seed`.
    struct Unstarted
    {
        quint64 seed;
    };

    // The table as start-up leaves it for `account`, without a store; over
    // `port` rather than the fake host when one is given.
    explicit Table(qint32 account = 100, Host* port = nullptr) : Table(std::in_place, port)
    {
        window.openGame({account, cards::kDefaultBack, false});
        window.showAccount();
        window.beginSession();
    }

    explicit Table(Unstarted start) : Table(std::in_place, nullptr) { random.seed(start.seed); }

    QStringList
        events; // host and sound share it, so tests see the order of boxes, pauses and sounds
    FakeHost host{events};
    FakeSound sound{events};
    ScriptedRandom random;
    // On the heap so that a test can destroy the window in the middle of a hand.
    std::unique_ptr<frmQuintara> holder;
    frmQuintara& window;
    TableControls ui;

  private:
    Table(std::in_place_t, Host* port)
        : holder(std::make_unique<frmQuintara>(
              frmQuintara::Ports{port ? *port : static_cast<Host&>(host), sound, random})),
          window(*holder), ui(window)
    {
    }
};

// The phases of a hand as the game's rules define them, typed out from there:
// Ready, HandDealt, and which buttons each phase leaves usable. In Settling
// the bet buttons come back before the phase ends, so either state is right.
enum class Usable
{
    No,
    Yes,
    Either
};
struct PhaseRow
{
    rules::Phase phase;
    bool ready;
    bool handDealt;
    bool deal;
    Usable bet; // cmdBet, cmdBetUp, cmdBetDown
    bool hold;  // all five
};
inline constexpr std::array<PhaseRow, 6> kPhaseTable{{
    {rules::Phase::Betting, true, false, true, Usable::Yes, false},
    {rules::Phase::Dealing, false, false, false, Usable::No, false},
    {rules::Phase::Holding, true, true, true, Usable::No, true},
    {rules::Phase::Drawing, false, true, true, Usable::No, false},
    {rules::Phase::Settling, false, false, true, Usable::Either, false},
    {rules::Phase::GameOver, false, false, true, Usable::Yes, false},
}};

// What of the window disagrees with phase's row: empty when nothing does.
inline QString PhaseMismatch(const frmQuintara& w, rules::Phase phase)
{
    const TableControls ui(w);
    const PhaseRow& row = *std::find_if(kPhaseTable.begin(), kPhaseTable.end(),
                                        [phase](const PhaseRow& r) { return r.phase == phase; });
    QStringList wrong;
    const auto check = [&wrong](const QString& what, bool is, bool should) {
        if (is != should)
            wrong << QStringLiteral("%1 %2").arg(what, is ? QStringLiteral("on") : "off");
    };
    check(QStringLiteral("phase"), w.phase() == phase, true);
    check(QStringLiteral("Ready"), w.state().Ready, row.ready);
    check(QStringLiteral("HandDealt"), w.state().HandDealt, row.handDealt);
    check(QStringLiteral("cmdDeal"), ui.cmdDeal->isEnabled(), row.deal);
    const bool betOn = row.bet == Usable::Either ? ui.cmdBet->isEnabled() : row.bet == Usable::Yes;
    for (const QPushButton* button : {ui.cmdBet, ui.cmdBetUp, ui.cmdBetDown})
        check(button->objectName(), button->isEnabled(), betOn);
    for (const QPushButton* button : ui.cmdHold)
        check(button->objectName(), button->isEnabled(), row.hold);
    return wrong.join(QStringLiteral(", "));
}
inline bool InPhase(const frmQuintara& w, rules::Phase phase)
{
    return PhaseMismatch(w, phase).isEmpty();
}

// Runs a test class whose cases read the per-user settings: XDG_CONFIG_HOME points at a
// fresh folder before anything can ask QSettings where those files live.
template <class TestClass> int RunWithConfigHome(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    TestClass test;
    test.configHome = configHome.path();
    return QTest::qExec(&test, argc, argv);
}
