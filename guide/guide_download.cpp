#include "guide_download.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zentavo {
namespace {

constexpr qint64 kReadBufferBytes = 1024 * 1024;

QString Megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 0);
}

} // namespace

GuideDownload::GuideDownload(QNetworkAccessManager& network, const QUrl& address, std::filesystem::path target,
                             GuideDownloadLimits limits, QObject* parent)
    : QObject(parent), target_(std::move(target)), limits_(limits)
{
    std::error_code ignored;
    std::filesystem::create_directories(target_.parent_path(), ignored);
    part_.setFileName(QString::fromStdString(target_.string() + ".part"));
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // The bytes as the server keeps them: a .gz stays compressed on the disk and is inflated as it
    // is read, instead of being inflated by the network stack into memory.
    request.setRawHeader("Accept-Encoding", "identity");
    reply_ = network.get(request);
    reply_->setReadBufferSize(kReadBufferBytes);
    silence_.setSingleShot(true);
    total_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("The server sent nothing of the guide for %1 seconds.").arg(limits_.silenceMs / 1000));
    });
    connect(&total_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("The guide did not come within %1 minutes.").arg(limits_.totalMs / 60000.0));
    });
    silence_.start(limits_.silenceMs);
    total_.start(limits_.totalMs);
    if (!part_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // Reported once the caller can hear it.
        QTimer::singleShot(0, this, [this] {
            Fail(QStringLiteral("The guide cannot be saved to %1: %2.").arg(part_.fileName(), part_.errorString()));
        });
        return;
    }
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (!length.isValid())
            return;
        if (length.toLongLong() > limits_.maxBytes)
            Fail(QStringLiteral("The guide is %1 MB, more than the %2 MB a guide may have.")
                     .arg(Megabytes(length.toLongLong()), Megabytes(limits_.maxBytes)));
        else if (!RoomFor(length.toLongLong()))
            Fail(QStringLiteral("The disk has no room for the guide (%1 MB).").arg(Megabytes(length.toLongLong())));
    });
    connect(reply_, &QNetworkReply::readyRead, this, &GuideDownload::TakeBytes);
    connect(reply_, &QNetworkReply::downloadProgress, this, &GuideDownload::Progress);
    connect(reply_, &QNetworkReply::finished, this, &GuideDownload::OnFinished);
}

GuideDownload::~GuideDownload()
{
    Abort();
}

bool GuideDownload::RoomFor(qint64 bytes) const
{
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(target_.parent_path(), error);
    return error || static_cast<qint64>(space.available) >= bytes + limits_.freeDiskMargin;
}

void GuideDownload::Abort()
{
    silence_.stop();
    total_.stop();
    if (part_.isOpen())
        part_.close();
    part_.remove();
    if (!reply_)
        return;
    QNetworkReply* reply = std::exchange(reply_, QPointer<QNetworkReply>()).data();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void GuideDownload::Fail(const QString& reason)
{
    if (!reply_)
        return;
    Abort();
    emit Failed(reason);
}

void GuideDownload::TakeBytes()
{
    if (!reply_)
        return;
    const QByteArray bytes = reply_->readAll();
    if (bytes.isEmpty())
        return;
    silence_.start(limits_.silenceMs);
    received_ += bytes.size();
    if (received_ > limits_.maxBytes) {
        Fail(QStringLiteral("The guide is more than the %1 MB a guide may have.").arg(Megabytes(limits_.maxBytes)));
        return;
    }
    // Checked every few MB: the disk may fill while the guide comes.
    if ((received_ - bytes.size()) / (16 << 20) != received_ / (16 << 20) && !RoomFor(0)) {
        Fail(QStringLiteral("The disk ran out of room for the guide."));
        return;
    }
    if (part_.write(bytes) != bytes.size())
        Fail(QStringLiteral("The guide cannot be saved to %1: %2.").arg(part_.fileName(), part_.errorString()));
}

void GuideDownload::OnFinished()
{
    if (!reply_)
        return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply_->error() != QNetworkReply::NoError || (status != 0 && (status < 200 || status > 299))) {
        const QString reason = status >= 300
            ? QStringLiteral("The server answered %1 %2.")
                  .arg(status)
                  .arg(reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                  .trimmed()
            : QStringLiteral("The guide could not be downloaded: %1.").arg(reply_->errorString());
        Fail(reason);
        return;
    }
    TakeBytes();
    if (!reply_)
        return;
    if (!part_.flush() || (part_.close(), part_.error() != QFileDevice::NoError)) {
        Fail(QStringLiteral("The guide cannot be saved to %1: %2.").arg(part_.fileName(), part_.errorString()));
        return;
    }
    std::error_code error;
    std::filesystem::rename(part_.fileName().toStdString(), target_, error);
    if (error) {
        Fail(QStringLiteral("The guide cannot be saved to %1: %2.")
                 .arg(QString::fromStdString(target_.string()), QString::fromStdString(error.message())));
        return;
    }
    silence_.stop();
    total_.stop();
    QNetworkReply* reply = std::exchange(reply_, QPointer<QNetworkReply>()).data();
    reply->disconnect(this);
    reply->deleteLater();
    emit Finished();
}

} // namespace zentavo
