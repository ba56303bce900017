#pragma once

#include <QObject>

// Makes every press of a button's access key (Alt+U and the like) one click.
// Qt animates such a click for 100 ms and drops any press of the key that
// comes during it, so three quick presses of Alt+U counted as two or one.
class EveryPressClicks final : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
