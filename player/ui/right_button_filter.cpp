#include "right_button_filter.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWidget>

namespace zentavo {

bool RightButtonFilter::IsDropped(const QObject* receiver, const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonPress:
        return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton && receiver->isWidgetType();
    case QEvent::ContextMenu:
        return static_cast<const QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
    default:
        return false;
    }
}

bool RightButtonFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (IsDropped(watched, event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace zentavo
