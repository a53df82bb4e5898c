#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zentavo {

namespace {

std::string ValueName()
{
    return SettingsStore::kChannelStart;
}

QString QualifiedKey()
{
    return QLatin1String(SettingsStore::kGroup) + QLatin1Char('/') + QLatin1String(SettingsStore::kChannelStart);
}

} // namespace

QString SettingsStore::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zentavo/player.ini");
}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

void SettingsStore::CreateKey()
{
    // The key exists once the file does; creating it writes no value.
    const QFileInfo info(filePath_);
    QFile file(filePath_);
    if (!QDir().mkpath(info.absolutePath()) || !file.open(QIODevice::Append))
        throw SettingsError(std::string("Failed to create key ") + kGroup);
}

QString SettingsStore::ReadChannelStart()
{
    const QSettings settings(filePath_, QSettings::IniFormat);
    const QVariant value = settings.value(QualifiedKey());
    if (!value.isValid())
        return {};
    if (value.typeId() != QMetaType::QString)
        throw SettingsError("Invalid data type for '" + ValueName() + "'");
    return value.toString();
}

void SettingsStore::WriteChannelStart(bool on)
{
    CreateKey();
    const QString value = on ? QStringLiteral("1") : QStringLiteral("0");
    {
        QSettings settings(filePath_, QSettings::IniFormat);
        settings.setValue(QualifiedKey(), value);
        settings.sync();
        // A file that did not parse keeps the format error in status() even after a good write,
        // so only an access error is taken at its word; everything else is checked on the file.
        if (settings.status() == QSettings::AccessError)
            throw SettingsError("Failed to set data for '" + ValueName() + "'");
    }
    const QSettings written(filePath_, QSettings::IniFormat);
    if (written.value(QualifiedKey()) != QVariant(value))
        throw SettingsError("Failed to set data for '" + ValueName() + "'");
}

} // namespace zentavo
