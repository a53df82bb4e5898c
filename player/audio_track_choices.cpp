#include "audio_track_choices.h"

#include "files/file_error.h"
#include "files/file_writer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>
#include <system_error>

namespace zentavo {

namespace {

// A file larger than this is no file of ours.
constexpr qint64 kLargestFile = 4 * 1024 * 1024;

QJsonArray ReadChannels(const std::filesystem::path& path)
{
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestFile)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.object().value(QStringLiteral("channels")).toArray();
}

std::optional<AudioTrackChoice> ChoiceFrom(const QJsonObject& entry)
{
    const double index = entry.value(QStringLiteral("index")).toDouble(-1);
    if (index < 0 || index >= kMostAudioTracks || index != double(int(index)))
        return std::nullopt;
    return AudioTrackChoice{int(index), entry.value(QStringLiteral("name")).toString().left(kLongestTrackText),
                            entry.value(QStringLiteral("language")).toString().left(kLongestTrackText)};
}

} // namespace

AudioTrackChoices::AudioTrackChoices(std::filesystem::path file, qsizetype mostChannels)
    : file_(std::move(file)), mostChannels_(mostChannels)
{}

std::optional<AudioTrackChoice> AudioTrackChoices::Find(const QString& channelId) const
{
    const QJsonArray channels = ReadChannels(file_);
    // The newest entry of a channel counts.
    for (qsizetype i = channels.size() - 1; i >= 0; --i) {
        const QJsonObject entry = channels.at(i).toObject();
        if (entry.value(QStringLiteral("id")).toString() == channelId)
            return ChoiceFrom(entry);
    }
    return std::nullopt;
}

void AudioTrackChoices::Keep(const QString& channelId, const AudioTrackChoice& choice)
{
    if (channelId.isEmpty() || channelId.size() > kLongestChannelId)
        throw std::runtime_error("Cannot keep the audio track of a channel without a proper id");
    QJsonArray kept;
    for (const QJsonValue& value : ReadChannels(file_)) {
        if (value.toObject().value(QStringLiteral("id")).toString() != channelId)
            kept.append(value);
    }
    kept.append(QJsonObject{{QStringLiteral("id"), channelId},
                            {QStringLiteral("index"), choice.index},
                            {QStringLiteral("name"), choice.name.left(kLongestTrackText)},
                            {QStringLiteral("language"), choice.language.left(kLongestTrackText)}});
    while (kept.size() > mostChannels_)
        kept.removeFirst();
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("channels"), kept}}).toJson();
    try {
        std::error_code ignored;
        std::filesystem::create_directories(file_.parent_path(), ignored);
        ReplaceFile(file_, std::string_view(bytes.constData(), size_t(bytes.size())));
    } catch (const FileError& error) {
        throw std::runtime_error("Cannot keep the audio track choice in " + file_.string() + ": " + error.what());
    }
}

} // namespace zentavo
