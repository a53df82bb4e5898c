#include "programme_text.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace zentavo {

QString ClockTime(std::int64_t at)
{
    return QDateTime::fromSecsSinceEpoch(at).toString(QStringLiteral("HH:mm"));
}

QString ProgrammeTimes(const GuideProgramme& programme)
{
    return ClockTime(programme.start) + QLatin1Char('-') + ClockTime(programme.stop);
}

double ProgrammeProgress(const GuideProgramme& programme, std::int64_t at)
{
    if (programme.stop <= programme.start)
        return 0.0;
    const double done =
        static_cast<double>(at - programme.start) / static_cast<double>(programme.stop - programme.start);
    return std::clamp(done, 0.0, 1.0);
}

QString NowNextTooltip(const GuideNowNext& nowNext)
{
    QStringList lines;
    if (nowNext.now)
        lines << QStringLiteral("Now: %1 %2")
                     .arg(ProgrammeTimes(*nowNext.now), QString::fromStdString(nowNext.now->title));
    if (nowNext.next)
        lines << QStringLiteral("Next: %1 %2")
                     .arg(ProgrammeTimes(*nowNext.next), QString::fromStdString(nowNext.next->title));
    return lines.join(QLatin1Char('\n'));
}

QString PlayingProgrammeNote(const GuideNowNext& nowNext)
{
    if (!nowNext.now)
        return {};
    return QStringLiteral("%1 (until %2)")
        .arg(QString::fromStdString(nowNext.now->title), ClockTime(nowNext.now->stop));
}

QString ProgrammeDetails(const GuideProgramme& programme)
{
    QStringList lines;
    const QDateTime start = QDateTime::fromSecsSinceEpoch(programme.start);
    lines << QLocale().toString(start.date(), QLocale::ShortFormat) + QLatin1Char(' ') + ProgrammeTimes(programme);
    const auto add = [&lines](const QString& label, const std::string& value) {
        if (!value.empty())
            lines << (label.isEmpty() ? QString() : label + QStringLiteral(": ")) + QString::fromStdString(value);
    };
    add({}, programme.title);
    add({}, programme.subTitle);
    add(QStringLiteral("Episode"), programme.episode);
    add(QStringLiteral("Category"), programme.category);
    add({}, programme.description);
    return lines.join(QLatin1Char('\n'));
}

} // namespace zentavo
