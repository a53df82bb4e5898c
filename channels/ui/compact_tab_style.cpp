#include "compact_tab_style.h"

namespace zentavo {

int CompactTabStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_TabBarTabHSpace)
        return 10;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

} // namespace zentavo
