#include "test_catalogue.h"

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "tests/support/test_media.h"

#include <QDir>

namespace zentavo::test {

QString WriteTestCatalogue(const QString& folder, const QList<TestChannel>& channels)
{
    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (const TestChannel& channel : channels) {
        const std::string protectedUrl = EncipherString(channel.address.toStdString(), passphrase, KeySize::Key256);
        xml +=
            QStringLiteral("<item><id>%1</id><name>Channel %1</name><country>Test</country><bandwidth>300k</bandwidth>"
                           "<type2>tv</type2><imgindex>%2</imgindex><url>%3</url>%4</item>\n")
                .arg(QLatin1String(channel.id))
                .arg(channel.kind)
                .arg(QString::fromStdString(protectedUrl))
                .arg(channel.headers.isEmpty()
                         ? QString()
                         : QStringLiteral("<headers>%1</headers>").arg(channel.headers.toHtmlEscaped()));
    }
    xml += QStringLiteral("</items>\n");
    WriteTextFile(folder, QStringLiteral("tv-all.xml"), xml);
    return QDir(folder).filePath(QStringLiteral("tv-all.xml"));
}

} // namespace zentavo::test
