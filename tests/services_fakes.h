#pragma once

#include "ports.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
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

// Runs a test class whose cases read the per-user settings: XDG_CONFIG_HOME points at a
// fresh folder before anything can ask QSettings where those files live.
template <class TestClass> int RunWithConfigHome(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    TestClass test;
    test.configHome = configHome.path();
    return QTest::qExec(&test, argc, argv);
}
