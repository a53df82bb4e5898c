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
    // A drawing (SVG) is rendered straight at the icon's size, so its announced size costs nothing.
    const bool drawing = reader.format() == "svg" || reader.format() == "svgz";
    const QSize announced = reader.size();
    if (!drawing && (announced.width() > kMaxLogoSide || announced.height() > kMaxLogoSide))
        return std::nullopt;
    if (announced.isValid() && !announced.isEmpty()) {
        // Decoders that can scale while reading (JPEG, SVG) then never hold the full picture.
        const QSize scaled = announced.scaled(side, side, Qt::KeepAspectRatio);
        if (drawing || announced.width() > side || announced.height() > side)
            reader.setScaledSize(scaled.expandedTo(QSize(1, 1)));
    } else if (drawing) {
        reader.setScaledSize(QSize(side, side));
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
