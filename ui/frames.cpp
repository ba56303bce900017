#include "frames.h"

#include <QRect>
#include <QWidget>

namespace frames {

QMargins Decoration(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

void PlaceFrame(QWidget& window, QPoint frameTopLeft, const QMargins& decoration)
{
    window.setGeometry(
        QRect(frameTopLeft + QPoint(decoration.left(), decoration.top()), window.size()));
}

QPoint CentredTopLeft(QPoint centre, QSize frameSize)
{
    return centre - QPoint((frameSize.width() - 1) / 2, (frameSize.height() - 1) / 2);
}

} // namespace frames
