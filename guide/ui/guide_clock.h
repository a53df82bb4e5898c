#pragma once
// What time it is for the guide's windows (seconds since 1970, UTC). Passed in, so that tests can
// stand just before a programme's end instead of waiting for one.

#include <QDateTime>
#include <cstdint>
#include <functional>

namespace zentavo {

using GuideClock = std::function<std::int64_t()>;

inline GuideClock SystemGuideClock()
{
    return [] { return QDateTime::currentSecsSinceEpoch(); };
}

} // namespace zentavo
