#include "unix_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

bool UnixSignalWatcher::Install()
{
    if (g_pipe[0] >= 0)
        return true;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ok = ::sigaction(signalNumber, &action, nullptr) == 0 && ok;
    return ok;
}

UnixSignalWatcher::UnixSignalWatcher(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::readPipe);
}

void UnixSignalWatcher::readPipe()
{
    unsigned char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit quitRequested(bytes[i]);
    }
}
