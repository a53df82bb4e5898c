#pragma once
// The figures of benchmark rounds as the READMEs give them: minimum, median and maximum, and the
// ratio of two figures round by round. A figure of 0 or less is a round that measured nothing.

#include <QList>
#include <QString>

#include <algorithm>

namespace zentavo::bench {

// Each round's ratio; a round where either side failed counts as no figure.
inline QList<double> Ratios(const QList<double>& above, const QList<double>& below)
{
    QList<double> ratios;
    for (qsizetype i = 0; i < std::min(above.size(), below.size()); ++i) {
        if (above[i] > 0 && below[i] > 0)
            ratios.append(above[i] / below[i]);
    }
    return ratios;
}

// "min / median / max" of the figures that were measured.
inline QString Spread(QList<double> figures)
{
    figures.removeIf([](double figure) { return figure <= 0; });
    if (figures.isEmpty())
        return QStringLiteral("(no figure)");
    std::sort(figures.begin(), figures.end());
    const auto text = [](double figure) { return QString::number(figure, 'f', 2); };
    return QStringLiteral("%1 / %2 / %3")
        .arg(text(figures.front()), text(figures[figures.size() / 2]), text(figures.back()));
}

} // namespace zentavo::bench
