#include "icons.h"

namespace icons {

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/app-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon HoldIcon()
{
    QIcon icon;
    icon.addFile(kHold, QSize(16, 16), QIcon::Normal);
    icon.addFile(kHoldDisabled, QSize(16, 16), QIcon::Disabled);
    return icon;
}

QIcon InfoIcon()
{
    QIcon icon;
    icon.addFile(kInfo16, QSize(16, 16));
    icon.addFile(kInfo32, QSize(32, 32));
    return icon;
}

} // namespace icons
