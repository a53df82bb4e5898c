#include "list_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace zentavo {

namespace {
QIcon RenderIcon(const QString& resource)
{
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QList<QIcon> RenderIcons(std::initializer_list<const char*> names)
{
    QList<QIcon> icons;
    for (const char* name : names)
        icons.append(RenderIcon(QStringLiteral(":/channels/icons/") + QLatin1String(name)));
    return icons;
}
} // namespace

QList<QIcon> RowIcons()
{
    return RenderIcons({"row-windows-media.svg", "row-real.svg", "row-snapshot.svg"});
}

QList<QIcon> TabIcons()
{
    return RenderIcons({"tab-tv.svg", "tab-radio.svg", "tab-webcam.svg", "tab-favourites.svg"});
}

} // namespace zentavo
