#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP, delivered on the event loop instead of killing
// the program. The handler only writes the signal number into a pipe; the
// watcher reads it back where Qt code may run.
class UnixSignalWatcher : public QObject
{
    Q_OBJECT

  public:
    // Installs the handlers. Call first thing, so a signal that arrives while
    // the program is still starting waits in the pipe instead of ending it.
    static bool Install();

    explicit UnixSignalWatcher(QObject* parent = nullptr);

  signals:
    void quitRequested(int signalNumber);

  private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
