#include "volume_scale.h"

namespace zentavo {

QString PageVolumeText(int sliderPosition, int mediaKind)
{
    const int value = mediaKind == 0 ? sliderPosition * 20 - 2000 : sliderPosition;
    return QString::number(value);
}

} // namespace zentavo
