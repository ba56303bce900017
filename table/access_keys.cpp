#include "access_keys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QShortcutEvent>
#include <QTimer>

namespace {
// As long as Qt shows a button pressed by its access key.
constexpr int kShownPressedMs = 100;
} // namespace

bool EveryPressClicks::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || event->type() != QEvent::Shortcut)
        return QObject::eventFilter(watched, event);
    // Two buttons sharing a key: Qt moves the focus between them instead.
    if (static_cast<QShortcutEvent*>(event)->isAmbiguous())
        return QObject::eventFilter(watched, event);
    if (button->isEnabled()) {
        // Shown pressed for a moment, then clicked from the event loop as Qt's
        // own animation does, so a long handler (a deal and its pauses) never
        // runs inside the key's dispatch. Each press gets its own click.
        button->setDown(true);
        QTimer::singleShot(kShownPressedMs, button, [button] { button->click(); });
    }
    return true;
}
