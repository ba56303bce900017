#pragma once

#include "game_state.h"
#include "ports.h"

#include <QMainWindow>
#include <QMargins>
#include <array>
#include <map>

class CardView;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;
namespace cards {
class Random;
}

// The one table window. Controls keep the names players' documentation and the
// handlers use; each handler is defined in the file named after its subject:
// main_window.cpp (layout, menus), hand_cycle.cpp, betting.cpp, holding.cpp,
// card_places.cpp (DrawCard, card backs), menu_commands.cpp.
class frmQuintara : public QMainWindow
{
    Q_OBJECT

  public:
    struct Ports
    {
        Host& host;
        SoundPlayer& sound;
        cards::Random& random;
    };

    explicit frmQuintara(Ports ports, QWidget* parent = nullptr);
    ~frmQuintara() override;

    // Centres the window's frame on its screen, `decoration` being the frame
    // the window manager will draw (none: the client area is centred).
    void centreFrameOnScreen(const QMargins& decoration);

    // Read-only: the handlers below are the state's only writers.
    const rules::GameState& state() const { return m_state; }
    Host& host() { return m_ports.host; }
    SoundPlayer& sound() { return m_ports.sound; }
    cards::Random& random() { return m_ports.random; }

    rules::Phase phase() const { return m_state.phase; }

    // For start-up and tests; the controls themselves are found by object name.
    // Start-up's account, back and shuffled deck; the labels wait for showAccount.
    void openGame(const rules::Opening& opening);
    // The account label shows state().Account.
    void showAccount();
    // The check mark goes to back `code`, face-down places take it; false, and
    // nothing changed, for a code outside the menu.
    bool selectBack(int code);
    // Opens the table for the first bet: messages on, the Betting phase.
    void beginSession();

    // "$ " followed by the amount, as every amount label shows it.
    static QString AmountText(qint32 amount);

    // Handlers, each wired to its control; tests and the soak call them
    // directly as well, past the buttons' enabled states.
    void cmdDeal_Click();
    void cmdBet_Click();
    void cmdBetDown_Click();
    void cmdBetUp_Click();
    void cmdHold_Click(int Index);
    void cmdHold_Keyup(int Index);
    void Card_MouseDown(int Index, Qt::MouseButton Button, const QPoint& globalPos);
    void Card_GotFocus(int Index);
    void mnuCD_Click(int Index);
    void mnuReset_Click();
    void mnuMessages_Click();
    void mnuQuit_Click();
    void mnuInfo_Click();
    void mnuAbout_Click();

    // The deck's top card into place NextCard (or onto the hand), face up or down.
    void DrawCard(bool ShowCard, bool Change);

  signals:
    // Emitted exactly once, as the window unloads, whatever closes it.
    void queryUnload();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The constructor's steps, top to bottom of the window.
    void buildField();
    void buildCardPlaces();
    void buildButtons();
    void buildLabels();
    void buildMenus();
    void buildTabOrder();

    void Deal();
    void DealNext();
    void EndGame();

    // Sets the phase, the flags and, unless they are to stay as they are,
    // every button from the phase's rule.
    enum class Buttons
    {
        FollowRule,
        Stay
    };
    void applyPhase(rules::Phase phase, Buttons buttons = Buttons::FollowRule);
    // The card places show state().Shown.
    void showCards();
    // The check mark goes to state().CardBack.
    void checkBack();
    void showBet();
    // Up and Down: one step of the bet, a beep for each cut.
    void stepBet(int (*step)(rules::GameState&));

    // Host calls that run the event loop. False when the window was closed or
    // destroyed meanwhile: the caller must then return without touching it.
    bool Pause();
    bool ShowBox(const QString& prompt, BoxStyle style, const QString& title);
    void FocusDeal();
    // Runs cmdHold_Keyup for a key released on the button it was pressed on.
    void cmdHold_KeyEvent(int Index, const QEvent& event);

    // Controls, created by the constructor.
    QWidget* picField = nullptr;
    std::array<CardView*, 5> Card{};
    std::array<QPushButton*, 5> cmdHold{};
    QPushButton* cmdDeal = nullptr;
    QPushButton* cmdBet = nullptr;
    QPushButton* cmdBetDown = nullptr;
    QPushButton* cmdBetUp = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblAccount = nullptr;
    QLabel* lblBet = nullptr;

    QMenu* mnuOptions = nullptr;
    QMenu* mnuCardDeck = nullptr;
    std::map<int, QAction*> mnuCD; // by back code 54..68
    QAction* mnuReset = nullptr;
    QAction* mnuMessages = nullptr;
    QAction* mnuQuit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuInfo = nullptr;
    QAction* mnuAbout = nullptr;

    // Tests set up positions that play would take many hands to reach.
    friend struct StateForTests;

    Ports m_ports;
    rules::GameState m_state;
    bool m_unloaded = false;
    int m_keyPressedOn = -1; // the hold button a key went down on, until it comes up
};
