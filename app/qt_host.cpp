#include "qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

void QtHost::messageBox(const QString& prompt, BoxStyle style, const QString& title)
{
    QMessageBox box(style == BoxStyle::Information ? QMessageBox::Information
                                                   : QMessageBox::Warning,
                    title, prompt, QMessageBox::Ok, m_owner);
    box.exec();
}

QString QtHost::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

void QtHost::beep()
{
    QApplication::beep();
}

namespace {

// Ends the pause early once its window is closed, so a hand in progress
// cannot keep a closed program alive.
class CloseWatcher final : public QObject
{
  public:
    explicit CloseWatcher(QEventLoop& loop) : m_loop(loop) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A minimised window is hidden spontaneously; only a real close counts.
        if (event->type() == QEvent::Hide && !event->spontaneous())
            m_loop.quit();
        return QObject::eventFilter(watched, event);
    }

  private:
    QEventLoop& m_loop;
};

} // namespace

bool QtHost::ownerGone() const
{
    if (!m_hasOwner)
        return false;
    return !m_owner ||
           (!m_owner->isVisible() && m_owner->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void QtHost::pause()
{
    if (ownerGone())
        return;
    QEventLoop loop;
    // QTimer runs on the monotonic clock: a change of date or time of day
    // neither shortens nor stretches the pause. The nested loop sleeps until
    // the timer or an event arrives.
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);

    CloseWatcher watcher(loop);
    QPointer<QWidget> owner = m_owner;
    if (owner) {
        owner->installEventFilter(&watcher);
        QObject::connect(owner, &QObject::destroyed, &loop, &QEventLoop::quit);
    }
    timer.start(kPauseMs);
    loop.exec();
    if (owner)
        owner->removeEventFilter(&watcher);
}
