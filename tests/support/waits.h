#pragma once
// How long a test waits for something to happen, and how it shows that something does not.
//
// A wait ends on the event it waits for; its limit only keeps a fault from hanging the run. The
// limits are written for the normal build on a busy machine, and ZENTAVO_WAIT_SCALE (which CTest
// sets for the sanitizer build, whose code runs several times slower) multiplies them all.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace zentavo::test {

// The factor of every wait limit: ZENTAVO_WAIT_SCALE when it holds a whole number from 1 on, else 1.
inline int WaitScale()
{
    static const int scale = [] {
        bool ok = false;
        const int value = qEnvironmentVariableIntValue("ZENTAVO_WAIT_SCALE", &ok);
        return ok && value >= 1 ? value : 1;
    }();
    return scale;
}

// A wait limit in milliseconds, scaled for the build.
inline int Limit(int milliseconds)
{
    return milliseconds * WaitScale();
}

// Whether the predicate holds for the whole of `duration` while events are handled (it is checked
// every 20 ms). The one way to show that something does not happen: the duration must be long
// enough for the thing to have happened if it were going to (a timer's interval and more, a
// request's round trip), and is not scaled, since waiting longer only makes the check stronger.
inline bool StaysFor(std::chrono::milliseconds duration, const std::function<bool()>& predicate)
{
    if (!predicate())
        return false;
    // The predicate is checked on every tick while events are handled; the loop ends at the end
    // of the duration, or at the first tick that finds it false.
    constexpr std::chrono::milliseconds kCheckEvery(20);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&loop, &predicate] {
        if (!predicate())
            loop.exit(1);
    });
    QTimer::singleShot(duration, &loop, [&loop] { loop.exit(0); });
    tick.start(kCheckEvery);
    const bool held = loop.exec() == 0;
    tick.stop();
    return held && predicate();
}

} // namespace zentavo::test
