#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>
#include <optional>

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

QString Key(const char* name)
{
    return QLatin1String(SettingsStore::kGroup) + QLatin1Char('/') + QLatin1String(name);
}

// A stored string value; none when missing or of another type.
std::optional<QString> Text(const QSettings& settings, const char* name)
{
    const QVariant value = settings.value(Key(name));
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<int> Number(const QSettings& settings, const char* name, int low, int high)
{
    const std::optional<QString> text = Text(settings, name);
    bool ok = false;
    const int value = text ? text->toInt(&ok) : 0;
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<bool> Flag(const QSettings& settings, const char* name)
{
    const std::optional<QString> text = Text(settings, name);
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// "x y width height".
std::optional<QRect> Rectangle(const QSettings& settings, const char* name)
{
    const std::optional<QString> text = Text(settings, name);
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).toInt(&ok);
        if (!ok || std::abs(values[i]) > 100000)
            return std::nullopt;
    }
    const QRect rect(values[0], values[1], values[2], values[3]);
    if (rect.width() <= 0 || rect.height() <= 0)
        return std::nullopt;
    return rect;
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

namespace zentavo {

RememberedState SettingsStore::ReadRemembered()
{
    RememberedState state;
    const QSettings settings(filePath_, QSettings::IniFormat);
    state.volume = Number(settings, "volume", 0, 100);
    state.muted = Flag(settings, "muted");
    state.geometry = Rectangle(settings, "window-geometry");
    state.maximized = Flag(settings, "window-maximized").value_or(false);
    state.lastChannelId = Text(settings, "last-channel-id").value_or(QString());
    state.lastChannelName = Text(settings, "last-channel-name").value_or(QString());
    state.lastChannelTab = Number(settings, "last-channel-tab", 0, 3);
    return state;
}

bool SettingsStore::WriteRemembered(const RememberedState& state)
{
    try {
        CreateKey();
    } catch (const SettingsError&) {
        return false;
    }
    QSettings settings(filePath_, QSettings::IniFormat);
    if (state.volume)
        settings.setValue(Key("volume"), QString::number(*state.volume));
    if (state.muted)
        settings.setValue(Key("muted"), FlagText(*state.muted));
    if (state.geometry) {
        const QRect& rect = *state.geometry;
        settings.setValue(
            Key("window-geometry"),
            QStringLiteral("%1 %2 %3 %4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
    }
    settings.setValue(Key("window-maximized"), FlagText(state.maximized));
    if (!state.lastChannelId.isEmpty()) {
        settings.setValue(Key("last-channel-id"), state.lastChannelId);
        settings.setValue(Key("last-channel-name"), state.lastChannelName);
        if (state.lastChannelTab)
            settings.setValue(Key("last-channel-tab"), QString::number(*state.lastChannelTab));
        else
            settings.remove(Key("last-channel-tab"));
    }
    settings.sync();
    return settings.status() != QSettings::AccessError;
}

bool SettingsStore::ReadPlayLastChannel()
{
    const QSettings settings(filePath_, QSettings::IniFormat);
    return Flag(settings, kPlayLastChannel).value_or(false);
}

void SettingsStore::WritePlayLastChannel(bool on)
{
    const std::string error = std::string("Failed to set data for '") + kPlayLastChannel + "'";
    try {
        CreateKey();
    } catch (const SettingsError&) {
        throw SettingsError(error);
    }
    {
        QSettings settings(filePath_, QSettings::IniFormat);
        settings.setValue(Key(kPlayLastChannel), FlagText(on));
        settings.sync();
    }
    if (ReadPlayLastChannel() != on)
        throw SettingsError(error);
}

} // namespace zentavo
