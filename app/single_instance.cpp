#include "single_instance.h"

#include "settings_store.h"

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
#include <xcb/xcb.h>

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

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply)
        atom = reply->atom;
    std::free(reply);
    return atom;
}

// Qt asks X for the focus with the time of the last event the game saw, which
// is older than the player's last click elsewhere, so X ignores the request.
// The player asked for this game just now: the request goes with the current
// time, to the window manager as a pager's (which it honours), and straight
// to the server where no window manager runs.
void ActivateOnX11(QWidget& front)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !front.isVisible())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto target = static_cast<xcb_window_t>(front.winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;

    const auto check = xcb_get_property(
        connection, 0, root, Atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* wm = xcb_get_property_reply(connection, check, nullptr);
    const bool managed = wm && xcb_get_property_value_length(wm) > 0;
    std::free(wm);

    if (managed) {
        xcb_client_message_event_t event = {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = target;
        event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2; // from a pager: the user's own request
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&event));
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
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
