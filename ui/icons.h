#pragma once

#include <QIcon>
#include <QString>

// Resource paths of the program's pictures, and the icons assembled from them.
namespace icons {

inline const QString kAppSvg = QStringLiteral(":/icons/app.svg");
inline const QString kHold = QStringLiteral(":/icons/hold.png");
inline const QString kHoldPressed = QStringLiteral(":/icons/hold-pressed.png");
inline const QString kHoldDisabled = QStringLiteral(":/icons/hold-disabled.png");
inline const QString kInfo16 = QStringLiteral(":/icons/info-16.png");
inline const QString kInfo32 = QStringLiteral(":/icons/info-32.png");
// Scalable, so that the boxes stay sharp at any scaling (Qt's SVG icon engine draws them).
inline const QString kWarningSvg = QStringLiteral(":/icons/warning.svg");
inline const QString kInformationSvg = QStringLiteral(":/icons/information.svg");
inline const QString kOkSvg = QStringLiteral(":/icons/ok.svg");

// The ace of spades in every drawn size: the pixel-drawn 16 and 32 for title bars and task
// lists, larger ones for docks and the about box.
QIcon AppIcon();

// The hold button's picture, with its greyed form for the disabled state. The pressed picture
// (kHoldPressed) has no QIcon mode of its own; a button shows it while it is down.
QIcon HoldIcon();

// The pay table window's information bubble in 16 and 32.
QIcon InfoIcon();

} // namespace icons
