#pragma once

#include "ports.h"

#include <QSettings>

// The per-user store: organization "Tessaro" with no application name, so on
// Linux the file is $XDG_CONFIG_HOME/Tessaro.conf; values live in the group
// "Settings". Nothing here ever throws or stops the program: an unreadable
// store reads as missing values, an unwritable one loses the write.
class QSettingsStore final : public SettingsStore
{
  public:
    QSettingsStore();
    // The same store kept in another file, for tests.
    explicit QSettingsStore(const QString& filePath);

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;

    // Writes pending values to disk; false when the store could not be written.
    bool sync();
    QString fileName() const { return m_settings.fileName(); }

  private:
    QSettings m_settings;
};
