#include "recent_titles.h"

#include "player/gateway/stream_title.h"

namespace zentavo {

void RecentTitles::Add(const QString& title, const QDateTime& at)
{
    // Cleaned again here whatever path the title came by: no control or hidden format characters,
    // no line breaks, no runs of spaces, and cut at the length the gateway cuts at.
    const QString clean = CleanTitle(title.toStdString());
    if (clean.isEmpty() || (!titles_.empty() && titles_.back().title == clean))
        return;
    titles_.push_back({at, clean});
    while (titles_.size() > kMostTitles)
        titles_.pop_front();
}

QString RecentTitles::Text() const
{
    if (titles_.empty())
        return QStringLiteral("No stream has named what it plays since the player started.\n");
    QString text;
    for (const HeardTitle& heard : titles_)
        text += heard.at.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + heard.title + QLatin1Char('\n');
    return text;
}

} // namespace zentavo
