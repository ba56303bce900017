#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>

class QWidget;

// Window managers keep a window's client area where the program puts it and
// draw their frame around it. A window placed as the player sees it, frame
// and all, therefore has its client area put inside the frame to come.
namespace frames {

// The frame the window manager drew around `window`: none before it is
// mapped, and none without a window manager.
QMargins Decoration(const QWidget& window);

// Puts `window` so that its frame, `decoration` wide, starts at frameTopLeft.
void PlaceFrame(QWidget& window, QPoint frameTopLeft, const QMargins& decoration);

// The top-left corner of a frame of frameSize centred on `centre`, counted as
// QRect::center() counts.
QPoint CentredTopLeft(QPoint centre, QSize frameSize);

} // namespace frames
