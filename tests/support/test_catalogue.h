#pragma once
// A catalogue of test channels, written as the player reads it: TV items whose addresses are
// protected under the stream passphrase.

#include <QList>
#include <QString>

namespace zentavo::test {

struct TestChannel {
    const char* id;
    int kind; // imgindex: the player page that plays it
    QString address;
    QString headers = {}; // the item's request headers as the catalogue keeps them; none when empty
};

// Writes tv-all.xml into folder, one item per channel named "Channel <id>"; returns its path.
QString WriteTestCatalogue(const QString& folder, const QList<TestChannel>& channels);

} // namespace zentavo::test
