#include "logo_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace zentavo {

std::optional<QImage> DecodeLogo(const QByteArray& bytes, int side)
{
    if (bytes.isEmpty() || side <= 0)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // The size the header announces: checked before the reader allocates anything for the pixels.
    const QSize announced = reader.size();
    if (announced.width() > kMaxLogoSide || announced.height() > kMaxLogoSide)
        return std::nullopt;
    if (announced.isValid() && !announced.isEmpty()) {
        // Decoders that can scale while reading (JPEG, SVG) then never hold the full picture.
        QSize scaled = announced.scaled(side, side, Qt::KeepAspectRatio);
        if (announced.width() > side || announced.height() > side || reader.format() == "svg")
            reader.setScaledSize(scaled.expandedTo(QSize(1, 1)));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPoint((side - image.width()) / 2, (side - image.height()) / 2), image);
    painter.end();
    return square;
}

} // namespace zentavo
