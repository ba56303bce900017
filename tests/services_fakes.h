#pragma once

#include "ports.h"

#include <QMap>
#include <QStringList>
#include <functional>

// Test doubles for the ports the start-up, shutdown and menu code use.

struct BoxCall
{
    QString prompt;
    BoxStyle style;
    QString title;
};

class RecordingHost final : public Host
{
  public:
    void messageBox(const QString& prompt, BoxStyle style, const QString& title) override
    {
        boxes.append({prompt, style, title});
        if (onBox)
            onBox();
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    void beep() override {}
    void pause() override {}

    QList<BoxCall> boxes;
    std::function<void()> onBox;
};

class RecordingPlayer final : public SoundPlayer
{
  public:
    void play(const QString& name) override { events << QStringLiteral("play ") + name; }
    void stop() override { events << QStringLiteral("stop"); }
    bool devicePresent() const override { return true; }

    QStringList events;
};

// Keeps values in memory and remembers every write in order.
class MemoryStore final : public SettingsStore
{
  public:
    QString read(const QString& key, const QString& defaultValue) override
    {
        return values.value(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override
    {
        values[key] = value;
        writes << key + QLatin1Char('=') + value;
    }

    QMap<QString, QString> values;
    QStringList writes;
};
