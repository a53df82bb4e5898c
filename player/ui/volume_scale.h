#pragma once
// The text that the volume slider's position sends to a player page: the Windows Media object takes
// -2000 (quiet) to 0 (full), the Real object 0 to 100.

#include <QString>

namespace zentavo {

QString PageVolumeText(int sliderPosition, int mediaKind);

} // namespace zentavo
