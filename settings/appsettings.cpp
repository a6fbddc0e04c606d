#include "settings/appsettings.h"

#include <QList>
#include <QPair>
#include <QSettings>
#include <QVariant>

namespace {

const QString keyPrefix = QStringLiteral("camName_");
const QString absentAddress = QStringLiteral("0.0.0.0");

QString keyFor(const QString &name)
{
    return keyPrefix + name;
}

// Keys are listed without their prefix; any key, with the prefix or not, loses its
// first 8 characters, so a key added by hand shows up cut short.
QStringList withoutPrefix(const QStringList &keys)
{
    QStringList names;
    names.reserve(keys.size());
    for (const QString &key : keys)
        names.append(key.mid(keyPrefix.size()));
    return names;
}

// QSettings folds runs of "/" into one and drops a trailing "/", so "camName_Studio/"
// names the same key as "camName_Studio" and the group below it.
QString asQSettingsSeesIt(const QString &key)
{
    QStringList parts = key.split(QLatin1Char('/'));
    parts.removeAll(QString());
    return parts.join(QLatin1Char('/'));
}

} // namespace

AppSettings::AppSettings(const QString &filePath)
    : settings(new QSettings(filePath, QSettings::IniFormat))
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 reads and writes INI files in Latin-1 unless told otherwise, which would turn
    // non-ASCII names and addresses into '?' on the way out. Qt 6 always uses UTF-8.
    settings->setIniCodec("UTF-8");
#endif
}

AppSettings::~AppSettings()
{
    delete settings;
}

bool AppSettings::contains(const QString &name) const
{
    return addressOf(name) != absentAddress;
}

QStringList AppSettings::names() const
{
    return withoutPrefix(settings->allKeys());
}

QString AppSettings::addressOf(const QString &name) const
{
    return settings->value(keyFor(name), absentAddress).toString();
}

void AppSettings::remove(const QString &name)
{
    // QSettings reads "/" in a key as a group separator, and remove() takes the whole
    // group with the key: removing "Studio" would also delete "Studio/A". Keep the
    // entries below the key and write them back, so only this camera goes.
    const QString key = keyFor(name);
    const QString below = asQSettingsSeesIt(key) + QLatin1Char('/');
    QList<QPair<QString, QVariant>> kept;
    const QStringList keys = settings->allKeys();
    for (const QString &other : keys) {
        if (other.startsWith(below))
            kept.append({other, settings->value(other)});
    }
    settings->remove(key);
    for (const auto &entry : kept)
        settings->setValue(entry.first, entry.second);
}

void AppSettings::save(const QString &address, const QString &name)
{
    const QString storedName = name.isEmpty() ? address : name;

    // One entry per address: drop every entry that already holds this address.
    const QStringList existing = names();
    for (const QString &other : existing) {
        if (addressOf(other) == address)
            remove(other);
    }
    settings->setValue(keyFor(storedName), address);
}
