#pragma once

#include "ports.h"

#include <QPointer>
#include <QWidget>

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
};
