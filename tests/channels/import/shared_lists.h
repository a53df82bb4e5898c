#pragma once
// The channel lists shared beside the checkout, as a data table: each file with the number of
// entries that the lists' README gives for it. The build unpacks a committed copy when the lists are
// not beside the checkout, so missing lists are a failure, never a skip.
// A macro, not a function: QFAIL must return from the test's own _data function.

#include <QFileInfo>
#include <QString>
#include <QTest>

#define ZENTAVO_ADD_SHARED_LIST_ROWS()                                                                                 \
    do {                                                                                                               \
        QTest::addColumn<QString>("path");                                                                             \
        QTest::addColumn<long>("entries");                                                                             \
        const QString root = QStringLiteral(ZENTAVO_CHANNEL_LISTS);                                                    \
        if (!QFileInfo::exists(root + QStringLiteral("/README.md")))                                                   \
            QFAIL("the channel lists are missing: " ZENTAVO_CHANNEL_LISTS);                                            \
        QTest::newRow("iptv-org index") << root + QStringLiteral("/tv/iptv-org-index.m3u") << 11009L;                  \
        QTest::newRow("iptv-org by country") << root + QStringLiteral("/tv/iptv-org-by-country.m3u") << 16823L;        \
        QTest::newRow("deroverda") << root + QStringLiteral("/radio/deroverda.m3u") << 420L;                           \
        QTest::newRow("pyradio") << root + QStringLiteral("/radio/pyradio.m3u") << 44L;                                \
        QTest::newRow("tdtchannels") << root + QStringLiteral("/radio/tdtchannels.m3u") << 1020L;                      \
        QTest::newRow("traffic cameras") << root + QStringLiteral("/webcams/usa-traffic-snapshots.tsv") << 3604L;      \
    } while (false)
