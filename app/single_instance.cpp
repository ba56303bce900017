#include "single_instance.h"

#include "settings_store.h"
#include "x11_desktop.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// The file a save of the store would write: links followed, so that every
// start that would overwrite one file finds the same guard.
QFileInfo StoreFile(const QString& storePath)
{
    const QFileInfo info(QSettingsStore::SaveTarget(storePath));
    const QString canonical = info.canonicalFilePath();
    return QFileInfo(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

// The lock lies beside the store itself, whatever the runtime folder says.
// QSettings locks "<store>.lock" while it writes, so this name is another.
QString LockPath(const QFileInfo& store)
{
    return store.absoluteDir().filePath(QStringLiteral(".%1.quintara-lock").arg(store.fileName()));
}

// An abstract socket: named by user and store, with no file that a killed
// game could leave behind. It has no file modes, so anyone on the machine may
// connect; all a connection can do is bring the window forward, and the lock,
// not the socket, decides who plays.
QString ServerName(const QFileInfo& store)
{
    const QByteArray hash =
        QCryptographicHash::hash(store.absoluteFilePath().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    // An absolute name keeps Qt from putting the temporary folder, which
    // TMPDIR moves, in front of it.
    return QStringLiteral("/quintara-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

// The holder takes the lock an instant before it listens, so a start that
// comes in between tries again for a little while.
constexpr int kConnectTries = 20;
constexpr int kConnectRetryMs = 50;

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent), m_store(StoreFile(storePath)), m_serverName(ServerName(m_store)),
      m_lock(LockPath(m_store))
{
    // A running game holds the lock for hours; only a dead holder makes it stale.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = m_server.nextPendingConnection()) {
            emit activationRequested();
            // The caller waits for this hang-up, so it ends once the window is up.
            caller->disconnectFromServer();
            caller->deleteLater();
        }
    });
}

SingleInstance::Role SingleInstance::claim()
{
    // A new player's config folder may not exist yet; the save would make it anyway.
    QDir().mkpath(m_store.absolutePath());
    if (m_lock.tryLock(0)) {
        // Without the server the game still plays; a second start then only ends.
        m_server.listen(m_serverName);
        return Role::First;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return Role::Unguarded;

    qint64 holder = 0;
    QString host;
    QString application;
    m_lock.getLockInfo(&holder, &host, &application);
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000)) {
            if (socket.state() == QLocalSocket::UnconnectedState ||
                socket.waitForDisconnected(1000))
                return Role::Second;
            // Connected, yet nobody hangs up: the game is stopped or hung.
            std::fprintf(stderr,
                         "quintara: Quintara is already running for this player (process "
                         "%lld) but does not answer; it may be stopped\n",
                         static_cast<long long>(holder));
            return Role::Second;
        }
        QThread::msleep(kConnectRetryMs);
    }
    std::fprintf(stderr,
                 "quintara: Quintara is already running for this player (process %lld) and "
                 "cannot be reached\n",
                 static_cast<long long>(holder));
    return Role::Second;
}

void SingleInstance::bringToFront(QWidget& window)
{
    if (window.isVisible() && window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    // A box open over the window (or the welcome box before it) is what the
    // player must answer, so that is what comes forward.
    QWidget* front = QApplication::activeModalWidget();
    if (!front && window.isVisible())
        front = &window;
    if (!front)
        return;
    if (front != &window && window.isVisible())
        window.raise();
    front->raise();
    front->activateWindow();
    ActivateOnX11(*front);
}
