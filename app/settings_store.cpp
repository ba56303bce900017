#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SettingsKey(const QString& key)
{
    return QStringLiteral("Settings/") + key;
}

// Something other than a regular file once links are followed: a FIFO would
// block the first read for good, and a device or a folder is nobody's store.
bool IsSpecialFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

// The mode the new file is given: the old file's, or what a newly created
// file gets under the umask. The player can always read and write it: a
// store the game cannot read back would lose the account on the next start.
void CopyMode(const QString& from, const QString& to)
{
    struct stat old = {};
    if (::stat(QFile::encodeName(from).constData(), &old) == 0) {
        ::chmod(QFile::encodeName(to).constData(), (old.st_mode & 07777) | S_IRUSR | S_IWUSR);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(to).constData(), 0666 & ~mask);
}

// A free name beside `target` for its old bytes: NAME.unread, then
// NAME.unread.2 and on, so that an earlier copy is never written over.
QString UnreadName(const QString& target)
{
    const QString base = target + QStringLiteral(".unread");
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral(".%1").arg(n);
    return name;
}

// Keeps the file at `target` under a second name. A hard link needs neither
// read permission nor room for a copy, and leaves the old bytes untouched;
// where links are not to be had, the bytes are copied.
bool KeepBeside(const QString& target, const QString& copy)
{
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(copy).constData()) == 0)
        return true;
    return QFile::copy(target, copy);
}

// The folder the config files live in, as XDG names it. Qt reads the
// variable as UTF-8 and replaces what is not; such a folder is reached
// through a descriptor held open for the run, so reads and writes go to the
// very folder the bytes name.
QString ConfigFolder()
{
    const QByteArray raw = qgetenv("XDG_CONFIG_HOME");
    if (raw.startsWith('/') && QFile::encodeName(QFile::decodeName(raw)) != raw) {
        QByteArray made;
        for (const QByteArray& part : raw.split('/')) {
            made += part + '/';
            ::mkdir(made.constData(), 0700);
        }
        const int folder = ::open(raw.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0)
            return QStringLiteral("/proc/self/fd/%1").arg(folder);
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

} // namespace

QString QSettingsStore::SaveTarget(const QString& path)
{
    QFileInfo info(path);
    for (int hop = 0; info.isSymLink() && hop < 40; ++hop)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

QSettingsStore::QSettingsStore() : QSettingsStore(ConfigFolder() + QStringLiteral("/Tessaro.conf"))
{
}

QSettingsStore::QSettingsStore(const QString& filePath) : m_path(filePath)
{
    // QSettings reads the file as it is constructed, so a FIFO must never get that far.
    if (!IsSpecialFile(m_path))
        m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::read(const QString& key, const QString& defaultValue)
{
    if (const auto written = m_written.constFind(key); written != m_written.cend())
        return *written;
    const QVariant value = m_settings ? m_settings->value(SettingsKey(key)) : QVariant();
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
    m_written.insert(key, value);
}

bool QSettingsStore::fail(const QString& reason)
{
    m_error = reason;
    return false;
}

bool QSettingsStore::sync()
{
    m_error.clear();
    m_notice.clear();
    if (m_written.isEmpty())
        return true;
    const QString target = SaveTarget(m_path);
    const QFileInfo old(target);
    if (old.exists() && !old.isFile())
        return fail(QStringLiteral("%1 is not a regular file and was left as it is").arg(target));
    if (old.exists() && !old.isWritable())
        return fail(QStringLiteral("%1 is not writable").arg(target));

    // Everything the store holds, with the new values over it.
    QMap<QString, QVariant> values;
    if (m_settings) {
        for (const QString& key : m_settings->allKeys())
            values.insert(key, m_settings->value(key));
    }
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it)
        values.insert(SettingsKey(it.key()), it.value());

    // A new player's config folder may not exist yet.
    QDir().mkpath(old.absolutePath());
    // The new file is written beside the old one under another name, read
    // back, and only then renamed over it: QSettings does not see every failed
    // write, and on a full disk once renamed an empty file over the store.
    QTemporaryFile draft(old.absolutePath() + QStringLiteral("/.") + old.fileName() +
                         QStringLiteral(".XXXXXX"));
    if (!draft.open())
        return fail(QStringLiteral("no new file can be made beside %1: %2")
                        .arg(target, draft.errorString()));
    draft.close();
    {
        QSettings writer(draft.fileName(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), it.value());
        writer.sync();
        if (writer.status() != QSettings::NoError)
            return fail(QStringLiteral("the new contents of %1 could not be written").arg(target));
    }
    // QSettings keeps what it wrote in a cache by file name; a new name makes
    // the check read the disk.
    const QString checked = draft.fileName() + QStringLiteral("-checked");
    if (!QFile::rename(draft.fileName(), checked))
        return fail(QStringLiteral("the new contents of %1 could not be put in place").arg(target));
    bool complete = false;
    {
        QSettings reader(checked, QSettings::IniFormat);
        complete =
            reader.status() == QSettings::NoError && reader.allKeys().size() == values.size();
        for (auto it = values.cbegin(); complete && it != values.cend(); ++it)
            complete = reader.value(it.key()) == it.value();
    }
    if (!complete) {
        QFile::remove(checked);
        return fail(QStringLiteral("the new contents of %1 could not be written completely (is "
                                   "the disk full?); the old file was kept")
                        .arg(target));
    }
    // A store that held something but gave no account keeps its bytes: the
    // game started anew, yet the old file may be the player's to mend.
    const bool keep = m_keepOriginal && old.isFile() && old.size() > 0;
    const QString kept = keep ? UnreadName(target) : QString();
    if (keep && !KeepBeside(target, kept)) {
        QFile::remove(checked);
        return fail(QStringLiteral("%1 gave no account and could not be kept as %2, so it was "
                                   "left as it is")
                        .arg(target, kept));
    }
    CopyMode(target, checked);
    if (std::rename(QFile::encodeName(checked).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        QFile::remove(checked);
        return fail(QStringLiteral("%1 could not be replaced").arg(target));
    }
    if (keep) {
        m_keepOriginal = false;
        m_notice =
            QStringLiteral("%1 gave no account; its old contents are kept in %2").arg(target, kept);
    }
    return true;
}
