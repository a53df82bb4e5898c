#include "audio_tracks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace zentavo {

namespace {

QString CleanText(const QJsonValue& value)
{
    QString text = value.toString();
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    text = text.simplified().left(kLongestTrackText);
    // A surrogate pair cut in two leaves half a character.
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

// The language's name in words from its code ("eng", "fr", "pt-BR"); empty when Qt knows no such code.
QString LanguageName(const QString& code)
{
    const QString base = code.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    if (base.size() < 2 || base.size() > 3)
        return {};
    const QLocale::Language language = QLocale::codeToLanguage(base.toLower());
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToString(language);
}

} // namespace

std::optional<AudioTracks> ReadAudioTracks(QStringView json)
{
    if (json.size() > kLongestAudioTracksText)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (!object.value(QStringLiteral("tracks")).isArray())
        return std::nullopt;
    AudioTracks told;
    for (const QJsonValue& value : object.value(QStringLiteral("tracks")).toArray()) {
        if (told.tracks.size() == kMostAudioTracks)
            break;
        const QJsonObject track = value.toObject();
        told.tracks.append(
            {CleanText(track.value(QStringLiteral("name"))), CleanText(track.value(QStringLiteral("language")))});
    }
    const double current = object.value(QStringLiteral("current")).toDouble(-1);
    if (current >= 0 && current < double(told.tracks.size()) && current == double(int(current)))
        told.current = int(current);
    return told;
}

QString AudioTrackLabel(const AudioTrack& track, int index)
{
    QString language = LanguageName(track.language);
    if (language.isEmpty())
        language = track.language;
    if (track.name.isEmpty())
        return language.isEmpty() ? QStringLiteral("Track %1").arg(index + 1) : language;
    // A name that already is the language ("English", "en") says it once.
    if (language.isEmpty() || track.name.compare(language, Qt::CaseInsensitive) == 0
        || track.name.compare(track.language, Qt::CaseInsensitive) == 0)
        return track.name;
    return track.name + QStringLiteral(" (") + language + QLatin1Char(')');
}

AudioTrackChoice ChoiceOf(const AudioTracks& tracks, int index)
{
    const AudioTrack& track = tracks.tracks.at(index);
    return {index, track.name, track.language};
}

std::optional<int> FindChosenTrack(const AudioTracks& tracks, const AudioTrackChoice& choice)
{
    const auto inPlace = [&](const auto& fits) -> std::optional<int> {
        if (choice.index >= 0 && choice.index < tracks.tracks.size() && fits(tracks.tracks[choice.index]))
            return choice.index;
        std::optional<int> found;
        for (int i = 0; i < tracks.tracks.size(); ++i) {
            if (!fits(tracks.tracks[i]))
                continue;
            if (found)
                return std::nullopt; // several, none at its place: no telling which
            found = i;
        }
        return found;
    };
    const auto sameLanguage = [&](const AudioTrack& track) {
        return track.language.compare(choice.language, Qt::CaseInsensitive) == 0;
    };
    if (auto same = inPlace([&](const AudioTrack& track) { return track.name == choice.name && sameLanguage(track); }))
        return same;
    if (!choice.language.isEmpty()) {
        if (auto language = inPlace(sameLanguage))
            return language;
    }
    if (choice.index >= 0 && choice.index < tracks.tracks.size())
        return choice.index;
    return std::nullopt;
}

} // namespace zentavo
