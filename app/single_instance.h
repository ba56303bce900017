#pragma once

#include <QFileInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

class QWidget;

// One running game per settings store. Two games on one store would each
// write back the account they read at start, and the last to close would
// undo what the other won or lost; so a second start only brings the running
// game to the front and ends. The guard is a lock beside the store's file, so
// it holds whatever the runtime folder; another store (another
// XDG_CONFIG_HOME) is another player and runs beside it.
class SingleInstance final : public QObject
{
    Q_OBJECT

  public:
    enum class Role
    {
        First,     // this process plays; later starts call on it
        Second,    // another game plays on this store; this one should end
        Unguarded, // no lock can be made beside the store: play without the guard
    };

    // storePath names the store, normally the settings file's path.
    explicit SingleInstance(const QString& storePath, QObject* parent = nullptr);

    // Takes the store for this process, or asks the game that holds it to
    // come to the front. A lock left by a game that was killed is taken over.
    Role claim();

    // Brings the window, or the box open over it, to the front.
    static void bringToFront(QWidget& window);

  signals:
    // A second start asked for the running game.
    void activationRequested();

  private:
    // Asks the game named by the lock to come forward; false when nobody answers.
    bool callHolder();
    // Listens for later starts; says so when another user holds the name.
    void listen();

    QFileInfo m_store;
    QString m_serverName;
    QLockFile m_lock;
    QLocalServer m_server;
};
