#include "guide_sources.h"

#include "guide_error.h"

#include "files/file_writer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>

namespace zentavo {
namespace {

constexpr std::int64_t kRefreshAfter = 24 * 3600;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool IsHttpAddress(std::string_view address)
{
    return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool GuideSourceInfo::IsDownload() const
{
    return IsHttpAddress(address);
}

GuideSourceList::GuideSourceList(std::filesystem::path file) : file_(std::move(file)) {}

std::vector<GuideSourceInfo> GuideSourceList::Sources() const
{
    std::vector<GuideSourceInfo> sources;
    QFile file(QString::fromStdString(file_.string()));
    if (!file.exists())
        return sources;
    if (!file.open(QIODevice::ReadOnly))
        throw GuideError("The list of guides " + file_.string()
                         + " cannot be read: " + file.errorString().toStdString());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw GuideError("The list of guides " + file_.string() + " is damaged: " + error.errorString().toStdString());
    for (const QJsonValue& value : document.object().value(QStringLiteral("guides")).toArray()) {
        const QJsonObject object = value.toObject();
        GuideSourceInfo source;
        source.address = object.value(QStringLiteral("address")).toString().toStdString();
        source.playlistKey = object.value(QStringLiteral("playlist")).toString().toStdString();
        source.updated = object.value(QStringLiteral("updated")).toInteger();
        source.problem = object.value(QStringLiteral("problem")).toString().toStdString();
        if (!source.address.empty())
            sources.push_back(std::move(source));
    }
    return sources;
}

void GuideSourceList::Save(const std::vector<GuideSourceInfo>& sources) const
{
    QJsonArray guides;
    for (const GuideSourceInfo& source : sources) {
        QJsonObject object;
        object.insert(QStringLiteral("address"), QString::fromStdString(source.address));
        if (!source.playlistKey.empty())
            object.insert(QStringLiteral("playlist"), QString::fromStdString(source.playlistKey));
        object.insert(QStringLiteral("updated"), static_cast<qint64>(source.updated));
        if (!source.problem.empty())
            object.insert(QStringLiteral("problem"), QString::fromStdString(source.problem));
        guides.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("guides"), guides);
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    try {
        ReplaceFile(file_, QJsonDocument(root).toJson().toStdString());
    } catch (const std::exception& error) {
        throw GuideError("The list of guides cannot be saved: " + std::string(error.what()));
    }
}

bool GuideSourceList::Add(std::string_view address, std::string_view playlistKey)
{
    address = Trim(address);
    std::error_code error;
    if (!IsHttpAddress(address) && !std::filesystem::is_regular_file(std::filesystem::path(address), error))
        throw GuideError("\"" + std::string(address)
                         + "\" is no guide: give an http or https address, or the path of a guide file.");
    std::vector<GuideSourceInfo> sources = Sources();
    if (std::any_of(sources.begin(), sources.end(), [&](const GuideSourceInfo& s) { return s.address == address; }))
        return false;
    sources.push_back(GuideSourceInfo{std::string(address), std::string(playlistKey), 0, {}});
    Save(sources);
    return true;
}

bool GuideSourceList::SetPlaylistGuides(std::string_view playlistKey, const std::vector<std::string>& addresses)
{
    std::vector<GuideSourceInfo> sources = Sources();
    const size_t before = sources.size();
    std::erase_if(sources, [&](const GuideSourceInfo& s) {
        return s.playlistKey == playlistKey
            && std::find(addresses.begin(), addresses.end(), s.address) == addresses.end();
    });
    bool added = false;
    for (const std::string& address : addresses) {
        const std::string_view trimmed = Trim(address);
        if (!IsHttpAddress(trimmed) || std::any_of(sources.begin(), sources.end(), [&](const GuideSourceInfo& s) {
                return s.address == trimmed;
            }))
            continue;
        sources.push_back(GuideSourceInfo{std::string(trimmed), std::string(playlistKey), 0, {}});
        added = true;
    }
    if (added || sources.size() != before)
        Save(sources);
    return added;
}

void GuideSourceList::Remove(std::string_view address)
{
    std::vector<GuideSourceInfo> sources = Sources();
    std::erase_if(sources, [&](const GuideSourceInfo& s) { return s.address == address; });
    Save(sources);
}

void GuideSourceList::RemovePlaylist(std::string_view playlistKey)
{
    std::vector<GuideSourceInfo> sources = Sources();
    std::erase_if(sources, [&](const GuideSourceInfo& s) { return s.playlistKey == playlistKey; });
    Save(sources);
}

std::filesystem::path DefaultGuideSourcesFile()
{
    return std::filesystem::path(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString())
        / "zentavo-player" / "guide-sources.json";
}

bool GuideRefreshDue(const std::vector<GuideSourceInfo>& sources, std::int64_t now)
{
    return std::any_of(sources.begin(), sources.end(),
                       [now](const GuideSourceInfo& s) { return now - s.updated >= kRefreshAfter; });
}

} // namespace zentavo
