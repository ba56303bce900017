#pragma once

#include <QMargins>

class QWidget;

// What the game asks of an X11 desktop directly, where Qt has no call for it.
// Elsewhere (Wayland, offscreen) each does nothing.

// Asks the window manager for the focus on `front` with the current time, as
// a pager does: the player asked for this window just now. Without a window
// manager the focus is set at the server.
void ActivateOnX11(QWidget& front);

// The frame the window manager will draw around `window`, asked before the
// window is mapped; none without a window manager or when it does not answer
// within a moment.
QMargins RequestFrameExtents(QWidget& window);

// False when the X display named by DISPLAY cannot be opened. Asked before
// the application object exists, as Qt would abort there.
bool X11DisplayOpens();
