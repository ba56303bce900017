#pragma once

#include "ports.h"

#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QWidget>

// Where a box owned by a window goes so that it hides nothing of the window:
// centred horizontally on it, just below it, or just above it when the screen
// has no room below; kept on the screen. All rectangles are frames, in global
// coordinates; the result is the box frame's top left corner.
QPoint BoxPlaceBesideOwner(const QRect& ownerFrame, const QSize& boxFrame, const QRect& screen);

// Boxes, beep and pause on the real desktop.
class QtHost final : public Host
{
  public:
    static constexpr int kPauseMs = 300;

    void setOwner(QWidget* owner)
    {
        m_owner = owner;
        m_hasOwner = owner != nullptr;
    }

    void messageBox(const QString& prompt, BoxStyle style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void beep() override;
    // Sleeps in a nested event loop for kPauseMs, or until the owner window closes.
    void pause() override;

  private:
    // A closed or destroyed owner window ends every pause at once.
    bool ownerGone() const;

    QPointer<QWidget> m_owner;
    bool m_hasOwner = false;
    QIcon m_informationIcon;
    QIcon m_warningIcon;
    QIcon m_okIcon;
};
