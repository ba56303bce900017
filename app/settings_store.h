#pragma once

#include "ports.h"

#include <QMap>
#include <QSettings>
#include <QString>
#include <memory>

// The per-user store: organization "Tessaro" with no application name, so on
// Linux the file is $XDG_CONFIG_HOME/Tessaro.conf; values live in the group
// "Settings". Nothing here ever throws, blocks or stops the program: a store
// that cannot be read (or is no regular file, such as a FIFO) reads as missing
// values, and a save that cannot be completed leaves the old file as it was.
class QSettingsStore final : public SettingsStore
{
  public:
    QSettingsStore();
    // The same store kept in another file, for tests.
    explicit QSettingsStore(const QString& filePath);
    ~QSettingsStore() override;

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;
    void keepOriginalOnSave() override { m_keepOriginal = true; }

    // Writes the values given to write() to disk: the whole new file replaces
    // the old one, or nothing changes. False, with the reason in
    // errorString(), when the store could not be written.
    bool sync();
    QString errorString() const { return m_error; }
    // What the last save did beyond the plain write, for the player to hear:
    // where the old file's bytes were kept. Empty otherwise.
    QString notice() const { return m_notice; }
    QString fileName() const { return m_path; }

    // The file a save of the store at `path` writes: where its links lead, so
    // that a linked store stays linked.
    static QString SaveTarget(const QString& path);

  private:
    bool fail(const QString& reason);

    QString m_path;
    // Reads the store; absent when the path holds something other than a
    // regular file, which is never opened.
    std::unique_ptr<QSettings> m_settings;
    QMap<QString, QString> m_written;
    QString m_error;
    QString m_notice;
    bool m_keepOriginal = false;
};
