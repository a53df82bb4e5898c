#pragma once
// Downloads logo files over http(s), a few at a time, each with a time limit and a size limit.
// The addresses waiting for a free slot are the ones last asked for: when the list scrolls on,
// the logos of rows no longer shown are not fetched.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {

struct LogoFetchLimits {
    int concurrent = 4; // downloads at the same time
    int timeoutMs = 10000; // for the whole download, from the request to the last byte
    qint64 maxBytes = 512 * 1024; // a larger answer is abandoned
    int maxRedirects = 3;
};

class LogoFetcher : public QObject {
    Q_OBJECT
public:
    explicit LogoFetcher(LogoFetchLimits limits, QObject* parent = nullptr);
    ~LogoFetcher() override;

    // Replaces the addresses waiting for a slot with these, in this order, and starts what the
    // free slots allow. Addresses being fetched already go on; an address that is no http or
    // https address fails at once.
    void Want(const QStringList& addresses);
    int Running() const { return static_cast<int>(running_.size()); }
    int Waiting() const { return static_cast<int>(waiting_.size()); }

signals:
    void Fetched(const QString& address, const QByteArray& bytes);
    // reason in words, for the log: "timed out", "larger than 524288 bytes", the network error
    void Failed(const QString& address, const QString& reason);

private:
    struct Transfer {
        QString address;
        QByteArray bytes;
        QString failure; // set when this side abandons the transfer
    };
    void StartWaiting();
    void Start(const QString& address);
    void OnReadyRead(QNetworkReply* reply);
    void OnFinished(QNetworkReply* reply);
    void Abandon(QNetworkReply* reply, const QString& reason);

    LogoFetchLimits limits_;
    QNetworkAccessManager* network_;
    QStringList waiting_;
    QHash<QNetworkReply*, Transfer> running_;
};

// True for an http or https address with a host.
bool IsFetchableLogoAddress(const QString& address);

} // namespace zentavo
