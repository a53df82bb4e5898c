#pragma once
// Reads the titles of a radio stream that the page plays itself (its engine cannot see the ICY
// metadata): a second request for the same address with "Icy-MetaData: 1", of which only the
// metadata blocks are kept and the sound is dropped. A server that sends no metadata ends the read
// at once; every step has a time limit, and destroying the reader ends its connection.

#include "player/gateway/icy_metadata_parser.h"
#include "text/request_headers.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {
struct PagePlay;
}

namespace zentavo {

class IcyTitleReader : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 15000;

    // Asks with the play's headers, and follows redirects only within its reach.
    IcyTitleReader(const QUrl& address, QNetworkAccessManager& network, const PagePlay& play,
                   QObject* parent = nullptr);
    ~IcyTitleReader() override;

    QString Title() const { return title_; }

signals:
    void TitleChanged(const QString& title);

private:
    void OnHeaders();
    void OnData();
    void Stop();

    QPointer<QNetworkReply> reply_;
    std::unique_ptr<IcyMetadataParser> parser_;
    QString title_;
};

} // namespace zentavo
