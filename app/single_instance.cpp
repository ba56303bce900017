#include "single_instance.h"

#include "settings_store.h"
#include "x11_desktop.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The real path of the store in bytes, links followed: every start that would
// overwrite one file finds the same guard, whatever bytes its folders are
// named with. Empty while the store's folder does not exist yet.
QByteArray RealPath(const QString& path)
{
    char* real = ::realpath(QFile::encodeName(path).constData(), nullptr);
    QByteArray bytes(real);
    std::free(real);
    return bytes;
}

// The file a save of the store would write, links followed. A real path Qt
// cannot name (its bytes are not UTF-8) is reached as the store names it.
QFileInfo StoreFile(const QString& storePath)
{
    const QFileInfo info(QSettingsStore::SaveTarget(storePath));
    const QByteArray real = RealPath(info.absoluteFilePath());
    const QString canonical = QFile::decodeName(real);
    if (real.isEmpty() || QFile::encodeName(canonical) != real)
        return QFileInfo(info.absoluteFilePath());
    return QFileInfo(canonical);
}

// The lock lies beside the store itself, whatever the runtime folder says.
// QSettings locks "<store>.lock" while it writes, so this name is another.
QString LockPath(const QFileInfo& store)
{
    return store.absoluteDir().filePath(QStringLiteral(".%1.quintara-lock").arg(store.fileName()));
}

// An abstract socket: named by user and store, with no file that a killed
// game could leave behind. It has no file modes, so anyone on the machine may
// connect or bind the name first; both ends therefore check who is at the
// other end (the peer's credentials), and the lock, not the socket, decides
// who plays.
QString ServerName(const QFileInfo& store)
{
    QByteArray path = RealPath(store.absoluteFilePath());
    if (path.isEmpty())
        path = QFile::encodeName(store.absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16);
    // An absolute name keeps Qt from putting the temporary folder, which
    // TMPDIR moves, in front of it.
    return QStringLiteral("/quintara-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

// The user at the other end of a local socket; -1 when it cannot be told.
qint64 PeerUid(qintptr descriptor)
{
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    if (descriptor < 0 ||
        ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return -1;
    return peer.uid;
}

// True when the lock names a process of this host that is still there. An
// empty, unreadable or garbled lock, or one written on another host (a synced
// or network home after a crash), names none.
bool LockNamesLiveProcess(const QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0)
        return false;
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

qint64 LockHolder(const QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    lock.getLockInfo(&pid, &host, &application);
    return pid;
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
            // Only the player's own starts may raise the game and take the focus.
            if (PeerUid(caller->socketDescriptor()) == ::getuid())
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
        listen();
        return Role::First;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return Role::Unguarded;

    if (callHolder())
        return Role::Second;
    const qint64 holder = LockHolder(m_lock);
    if (LockNamesLiveProcess(m_lock)) {
        std::fprintf(stderr,
                     "quintara: Quintara is already running for this player (process %lld) and "
                     "cannot be reached\n",
                     static_cast<long long>(holder));
        return Role::Second;
    }
    // Nobody answers and the lock names no live game: it is left over. Taken
    // away whatever it is (a link too), short of a folder.
    ::unlink(QFile::encodeName(m_lock.fileName()).constData());
    if (m_lock.tryLock(0)) {
        listen();
        return Role::First;
    }
    std::fprintf(stderr,
                 "quintara: the lock file %s is left from an earlier game but cannot be "
                 "replaced; remove it, so that a second start cannot open this account "
                 "twice\n",
                 qPrintable(m_lock.fileName()));
    listen();
    return Role::Unguarded;
}

bool SingleInstance::callHolder()
{
    const qint64 holder = LockHolder(m_lock);
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(m_serverName);
        if (!socket.waitForConnected(1000)) {
            QThread::msleep(kConnectRetryMs);
            continue;
        }
        const qint64 owner = PeerUid(socket.socketDescriptor());
        if (owner != ::getuid()) {
            std::fprintf(stderr,
                         "quintara: Quintara is already running for this player (process %lld), "
                         "but another user (uid %lld) holds the name it is called by, so it "
                         "cannot be brought to the front; switch to its window\n",
                         static_cast<long long>(holder), static_cast<long long>(owner));
            return true;
        }
        if (socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(1000))
            return true;
        // Connected, yet nobody hangs up: the game is stopped or hung.
        std::fprintf(stderr,
                     "quintara: Quintara is already running for this player (process %lld) but "
                     "does not answer; it may be stopped\n",
                     static_cast<long long>(holder));
        return true;
    }
    return false;
}

void SingleInstance::listen()
{
    // Without the server the game still plays; a second start then only ends.
    if (m_server.listen(m_serverName) ||
        m_server.serverError() != QAbstractSocket::AddressInUseError)
        return;
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_serverName);
    const qint64 owner = socket.waitForConnected(1000) ? PeerUid(socket.socketDescriptor()) : -1;
    std::fprintf(stderr,
                 "quintara: another user (uid %lld) holds the name a second start calls this "
                 "game by, so such a start cannot bring it to the front\n",
                 static_cast<long long>(owner));
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
