#include "right_button_filter.h"

#include <QMouseEvent>

namespace zentavo {

bool RightButtonFilter::IsDropped(const QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
}

bool RightButtonFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (IsDropped(event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace zentavo
