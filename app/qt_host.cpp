#include "qt_host.h"

#include "frames.h"
#include "icons.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kBoxGap = 8;

// QMessageBox wraps any text wider than half the screen (at most 500 pixels),
// which leaves a lone word on a line of its own. Its lines are kept whole
// here as long as they fit the screen; the box then also stays clear of the
// window that owns it.
class PlacedBox final : public QMessageBox
{
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override
    {
        keepLinesWhole();
        QMessageBox::showEvent(event); // sets the box's final size
        placeBesideOwner();
    }

  private:
    void keepLinesWhole()
    {
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!label || !screen())
            return;
        label->setWordWrap(false);
        const int natural = label->sizeHint().width();
        // Room for the icon, the margins and the frame.
        if (natural <= screen()->availableGeometry().width() - 150)
            label->setMinimumWidth(natural);
    }

    void placeBesideOwner()
    {
        QWidget* owner = parentWidget();
        if (!owner || !owner->isVisible() || !owner->screen())
            return;
        // The box's frame is not known before it is mapped; the owner's is the
        // best guess for what the window manager adds.
        const QMargins decoration = frames::Decoration(*owner);
        frames::PlaceFrame(*this,
                           BoxPlaceBesideOwner(owner->frameGeometry(), size().grownBy(decoration),
                                               owner->screen()->availableGeometry()),
                           decoration);
    }
};

} // namespace

QPoint BoxPlaceBesideOwner(const QRect& ownerFrame, const QSize& boxFrame, const QRect& screen)
{
    const int centred = ownerFrame.center().x() + 1 - boxFrame.width() / 2;
    const int left = std::clamp(centred, screen.left(),
                                std::max(screen.left(), screen.right() + 1 - boxFrame.width()));
    const int below = ownerFrame.bottom() + 1 + kBoxGap;
    if (below + boxFrame.height() <= screen.bottom() + 1)
        return {left, below};
    const int above = ownerFrame.top() - kBoxGap - boxFrame.height();
    if (above >= screen.top())
        return {left, above};
    // Room on neither side: the side with more room, kept on the screen.
    const int roomBelow = screen.bottom() + 1 - below;
    const int roomAbove = ownerFrame.top() - kBoxGap - screen.top();
    if (roomBelow >= roomAbove)
        return {left, std::max(screen.top(), screen.bottom() + 1 - boxFrame.height())};
    return {left, screen.top()};
}

void QtHost::messageBox(const QString& prompt, BoxStyle style, const QString& title)
{
    const bool information = style == BoxStyle::Information;
    PlacedBox box(information ? QMessageBox::Information : QMessageBox::Warning, title, prompt,
                  QMessageBox::Ok, m_owner);
    // The style's icons are bitmaps, enlarged and blurred at 200 %; ours are
    // drawn for the screen's pixel ratio.
    // One icon object each for the host's life: every new QIcon would put
    // fresh pixmaps into Qt's pixmap cache, which then grows with each box.
    if (m_okIcon.isNull()) {
        m_informationIcon = QIcon(icons::kInformationSvg);
        m_warningIcon = QIcon(icons::kWarningSvg);
        m_okIcon = QIcon(icons::kOkSvg);
    }
    const QIcon& icon = information ? m_informationIcon : m_warningIcon;
    // 32 pixels, the size the style's own bitmaps have shown at.
    box.setIconPixmap(icon.pixmap(QSize(32, 32), box.devicePixelRatioF()));
    box.button(QMessageBox::Ok)->setIcon(m_okIcon);
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
