#pragma once

#include "game_state.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class frmQuintara;
class QGuiApplication;
class SettingsStore;

// Start-up: state, stored account and card back, the welcome of a new player,
// a shuffled deck. Unreadable or unusable stored values give the defaults.
void InitGame(frmQuintara& window, SettingsStore& store);
void Form_Load(frmQuintara& window, SettingsStore& store);

// Writes "CardDeck" then "Score".
void Form_QueryUnload(const rules::GameState& state, SettingsStore& store);

// Every way the main window can go away ends in one save: the window's own
// unload (Quit, the close box, the end of the game), the end of the desktop
// session and termination signals, which ask for the same close as Quit.
class Shutdown : public QObject
{
    Q_OBJECT

  public:
    // afterSave runs right after the two writes (the real store flushes
    // there); endEventLoops ends every running event loop, including those of
    // open message boxes, once an outside request has closed the window.
    Shutdown(frmQuintara& window, SettingsStore& store, std::function<void()> afterSave = {},
             std::function<void()> endEventLoops = {});

    // Follows the session: a log-out unloads the window like Quit.
    void watchSession(QGuiApplication& app);

    // Start-up has run; an unload asked for while it ran happens now.
    void startupFinished();

    // The close asked for from outside the window (signal, end of session).
    // During start-up it only ends open boxes and waits for start-up to end,
    // so the save never sees a half-initialised game.
    void requestUnload();

    bool unloaded() const { return m_unloaded; }
    int saves() const { return m_saves; }

  private:
    void save();

    frmQuintara& m_window;
    SettingsStore& m_store;
    std::function<void()> m_afterSave;
    std::function<void()> m_endEventLoops;
    bool m_started = false;
    bool m_pendingUnload = false;
    bool m_unloaded = false;
    int m_saves = 0;
};
