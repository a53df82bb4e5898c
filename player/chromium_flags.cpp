#include "chromium_flags.h"

#include <QtGlobal>

namespace zentavo {

namespace {

const QByteArray kDisableFeatures("--disable-features=");

} // namespace

QByteArray MergedChromiumFlags(const QByteArray& existing, const QByteArrayList& add)
{
    QByteArrayList flags;
    for (const QByteArray& flag : existing.split(' ')) {
        if (!flag.isEmpty())
            flags.append(flag);
    }
    for (const QByteArray& flag : add) {
        if (flag.startsWith(kDisableFeatures)) {
            QByteArrayList features;
            qsizetype at = -1;
            for (qsizetype i = 0; i < flags.size(); ++i) {
                if (flags[i].startsWith(kDisableFeatures)) {
                    // Earlier copies are folded into one: the engine would read only the last.
                    for (const QByteArray& feature : flags[i].mid(kDisableFeatures.size()).split(','))
                        if (!feature.isEmpty() && !features.contains(feature))
                            features.append(feature);
                    at = at < 0 ? i : at;
                }
            }
            for (const QByteArray& feature : flag.mid(kDisableFeatures.size()).split(','))
                if (!feature.isEmpty() && !features.contains(feature))
                    features.append(feature);
            const QByteArray merged = kDisableFeatures + features.join(',');
            if (at < 0) {
                flags.append(merged);
                continue;
            }
            flags[at] = merged;
            for (qsizetype i = flags.size() - 1; i > at; --i)
                if (flags[i].startsWith(kDisableFeatures))
                    flags.removeAt(i);
        } else if (!flags.contains(flag)) {
            flags.append(flag);
        }
    }
    return flags.join(' ');
}

void SetChromiumFlags()
{
    const QByteArray flags =
        MergedChromiumFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
                            {QByteArrayLiteral("--process-per-site"),
                             QByteArrayLiteral("--disable-features=MediaSessionService,HardwareMediaKeyHandling")});
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

} // namespace zentavo
