#pragma once
// Turns the bytes of a downloaded logo into a square icon picture.

#include <QByteArray>
#include <QImage>
#include <optional>

namespace zentavo {

// Pictures wider or higher than this are refused before anything is decoded: a small file can
// announce a huge picture, and decoding it would allocate width x height x 4 bytes.
inline constexpr int kMaxLogoSide = 4096;

// Decodes the bytes (any format Qt reads: PNG, JPEG, GIF, SVG, ICO, ...), scales the picture to fit
// side x side keeping its proportions and centres it on a transparent square of that size.
// Nothing when the bytes are no picture, announce a bitmap larger than kMaxLogoSide, or fail to
// decode. A drawing (SVG) may announce any size: it is rendered at the icon's size.
std::optional<QImage> DecodeLogo(const QByteArray& bytes, int side);

} // namespace zentavo
