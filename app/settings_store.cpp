#include "settings_store.h"

#include <QStringList>

namespace {

QString SettingsKey(const QString& key)
{
    return QStringLiteral("Settings/") + key;
}

} // namespace

QSettingsStore::QSettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tessaro"),
                 QString())
{
}

QSettingsStore::QSettingsStore(const QString& filePath) : m_settings(filePath, QSettings::IniFormat)
{
}

QString QSettingsStore::read(const QString& key, const QString& defaultValue)
{
    const QVariant value = m_settings.value(SettingsKey(key));
    if (!value.isValid())
        return defaultValue;
    // The file format splits text at commas; a hand-edited "1,000" comes back
    // as a list and is given back whole, for the conversion to judge.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void QSettingsStore::write(const QString& key, const QString& value)
{
    m_settings.setValue(SettingsKey(key), value);
}

bool QSettingsStore::sync()
{
    m_settings.sync();
    // A format error is about what was read; the write itself went through.
    return m_settings.status() != QSettings::AccessError;
}
