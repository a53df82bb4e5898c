#include "playlist_entry.h"

#include <QRegularExpression>
#include <QStringList>

namespace zentavo {
namespace {

QString DecodeXmlEntities(QString text) {
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// <ref href="..."> and <entryref href="..."> of an ASX file, in document order. ASX files in the wild
// are rarely well-formed XML, so they are scanned rather than parsed.
QStringList AsxEntries(const QString& text) {
    static const QRegularExpression ref(
        QStringLiteral(R"re(<\s*(?:entry)?ref\b[^>]*?\bhref\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList entries;
    for (auto it = ref.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        QString value = match.captured(1);
        if (value.isEmpty()) value = match.captured(2);
        if (value.isEmpty()) value = match.captured(3);
        entries << DecodeXmlEntities(value.trimmed());
    }
    return entries;
}

// "[playlist]" files (File1=...) and the "[Reference]" form of ASX (Ref1=...): numbered keys, lowest first.
QStringList NumberedEntries(const QStringList& lines, const QString& prefix) {
    QMap<int, QString> numbered;
    const QRegularExpression key(QStringLiteral("^%1(\\d+)\\s*=\\s*(.*)$").arg(prefix),
                                 QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : lines) {
        const auto match = key.match(line.trimmed());
        if (match.hasMatch() && !match.captured(2).trimmed().isEmpty())
            numbered.insert(match.captured(1).toInt(), match.captured(2).trimmed());
    }
    return numbered.values();
}

// .m3u and .ram: one address a line; '#' starts a comment, "--stop--" ends a RealAudio list.
QStringList LineEntries(const QStringList& lines) {
    QStringList entries;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("--stop--")) break;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1String("--")))
            continue;
        entries << line;
    }
    return entries;
}

bool IsHttp(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

PlaylistReading ReadPlaylist(const QByteArray& body, const QUrl& base) {
    QString text = QString::fromUtf8(body);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QString trimmed = text.trimmed();
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));

    PlaylistReading reading;
    if (trimmed.startsWith(QLatin1String("#EXTM3U")) && trimmed.contains(QLatin1String("#EXT-X-"))) {
        reading.kind = PlaylistReading::Kind::Hls;
        return reading;
    }

    QStringList entries;
    if (trimmed.startsWith(QLatin1String("[playlist]"), Qt::CaseInsensitive))
        entries = NumberedEntries(lines, QStringLiteral("File"));
    else if (trimmed.startsWith(QLatin1String("[Reference]"), Qt::CaseInsensitive))
        entries = NumberedEntries(lines, QStringLiteral("Ref"));
    else if (trimmed.contains(QLatin1String("<asx"), Qt::CaseInsensitive))
        entries = AsxEntries(text);
    else if (!trimmed.startsWith(QLatin1Char('<')) && !body.contains('\0'))
        entries = LineEntries(lines);

    QUrl first;
    for (const QString& entry : entries) {
        const QUrl url = base.resolved(QUrl(entry));
        if (!url.isValid() || url.scheme().isEmpty()) continue;
        if (IsHttp(url)) {
            reading.kind = PlaylistReading::Kind::Entries;
            reading.entry = url;
            return reading;
        }
        if (first.isEmpty()) first = url;
    }
    if (!first.isEmpty()) {
        reading.kind = PlaylistReading::Kind::Entries;
        reading.entry = first;
    }
    return reading;
}

} // namespace zentavo
