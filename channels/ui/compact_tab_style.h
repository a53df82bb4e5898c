#pragma once
// Narrower tab padding than the desktop style's, so that the list window's four tabs fit its
// fixed width side by side, as they do on the window's original platform.

#include <QProxyStyle>

namespace zentavo {

class CompactTabStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

} // namespace zentavo
