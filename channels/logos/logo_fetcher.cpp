#include "logo_fetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace zentavo {

bool IsFetchableLogoAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

LogoFetcher::LogoFetcher(LogoFetchLimits limits, QObject* parent)
    : QObject(parent), limits_(limits), network_(new QNetworkAccessManager(this))
{
    // No cookies are kept or sent: a logo request tells its server nothing about earlier ones.
    network_->setCookieJar(nullptr);
}

LogoFetcher::~LogoFetcher()
{
    // Abandoned transfers finish without reporting to a half-destroyed object.
    for (auto it = running_.cbegin(); it != running_.cend(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
        it.key()->deleteLater();
    }
}

void LogoFetcher::Want(const QStringList& addresses)
{
    waiting_.clear();
    for (const QString& address : addresses) {
        bool running = false;
        for (const Transfer& transfer : std::as_const(running_))
            running = running || transfer.address == address;
        if (!running && !waiting_.contains(address))
            waiting_.append(address);
    }
    StartWaiting();
}

void LogoFetcher::StartWaiting()
{
    while (!waiting_.isEmpty() && running_.size() < limits_.concurrent)
        Start(waiting_.takeFirst());
}

void LogoFetcher::Start(const QString& address)
{
    if (!IsFetchableLogoAddress(address)) {
        // Reported after the caller's Want returns, as a download failure would be.
        QTimer::singleShot(0, this,
                           [this, address] { emit Failed(address, QStringLiteral("not an http or https address")); });
        return;
    }
    QNetworkRequest request{QUrl(address)};
    // Redirects are followed only to http and https addresses (checked in redirected below).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits_.maxRedirects);
    request.setTransferTimeout(limits_.timeoutMs);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setRawHeader("Accept", "image/*");
    QNetworkReply* reply = network_->get(request);
    running_.insert(reply, Transfer{address, {}, {}});
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (IsFetchableLogoAddress(target.toString()))
            emit reply->redirectAllowed();
        else
            Abandon(reply, QStringLiteral("redirected to a non-http address"));
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maxBytes)
            Abandon(reply, QStringLiteral("larger than %1 bytes").arg(limits_.maxBytes));
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { OnReadyRead(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnFinished(reply); });
    // The transfer timeout above catches a silent server; this one a server that trickles.
    QTimer::singleShot(limits_.timeoutMs, reply, [this, reply] { Abandon(reply, QStringLiteral("timed out")); });
}

void LogoFetcher::OnReadyRead(QNetworkReply* reply)
{
    auto it = running_.find(reply);
    if (it == running_.end() || !it->failure.isEmpty())
        return;
    if (it->bytes.size() + reply->bytesAvailable() > limits_.maxBytes) {
        Abandon(reply, QStringLiteral("larger than %1 bytes").arg(limits_.maxBytes));
        return;
    }
    it->bytes += reply->readAll();
}

void LogoFetcher::Abandon(QNetworkReply* reply, const QString& reason)
{
    auto it = running_.find(reply);
    if (it == running_.end() || !it->failure.isEmpty())
        return;
    it->failure = reason;
    reply->abort(); // finished follows, which reports the failure
}

void LogoFetcher::OnFinished(QNetworkReply* reply)
{
    const auto it = running_.find(reply);
    if (it == running_.end())
        return;
    Transfer transfer = std::move(*it);
    running_.erase(it);
    reply->deleteLater();
    if (transfer.failure.isEmpty()) {
        if (reply->error() == QNetworkReply::OperationCanceledError)
            transfer.failure = QStringLiteral("timed out");
        else if (reply->error() != QNetworkReply::NoError)
            transfer.failure = reply->errorString();
        else if (transfer.bytes.size() + reply->bytesAvailable() > limits_.maxBytes)
            transfer.failure = QStringLiteral("larger than %1 bytes").arg(limits_.maxBytes);
        else
            transfer.bytes += reply->readAll();
    }
    if (transfer.failure.isEmpty())
        emit Fetched(transfer.address, transfer.bytes);
    else
        emit Failed(transfer.address, transfer.failure);
    StartWaiting();
}

} // namespace zentavo
