#include "single_instance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>
#include <cstdio>

namespace {

// The runtime directory belongs to the user, so a name made from the store's
// path alone already names user and store.
QString RuntimeName(const QString& storePath, const QString& suffix)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    const QByteArray key = QFileInfo(storePath).absoluteFilePath().toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16);
    return QDir(runtime).filePath(
        QStringLiteral("quintara-%1.%2").arg(QString::fromLatin1(hash), suffix));
}

// The holder takes the lock an instant before it listens, so a start that
// comes in between tries again for a little while.
constexpr int kConnectTries = 20;
constexpr int kConnectRetryMs = 50;

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent), m_serverName(RuntimeName(storePath, QStringLiteral("socket"))),
      m_lock(RuntimeName(storePath, QStringLiteral("lock")))
{
    // A running game holds the lock for hours; only a dead holder makes it stale.
    m_lock.setStaleLockTime(0);
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
    if (m_serverName.isEmpty())
        return Role::Unguarded;
    if (m_lock.tryLock(0)) {
        // A socket file left by a killed game would make listen() fail.
        QLocalServer::removeServer(m_serverName);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        // Without the server the game still plays; a second start then only ends.
        m_server.listen(m_serverName);
        return Role::First;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return Role::Unguarded;

    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000)) {
            socket.waitForDisconnected(1000);
            return Role::Second;
        }
        QThread::msleep(kConnectRetryMs);
    }
    std::fputs("quintara: Quintara is already running for this player\n", stderr);
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
}
