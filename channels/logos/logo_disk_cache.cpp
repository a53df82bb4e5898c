#include "logo_disk_cache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>

namespace zentavo {

QString DefaultLogoFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/zentavo-player/logos");
}

LogoDiskCache::LogoDiskCache(QString folder, qint64 maxBytes) : folder_(std::move(folder)), maxBytes_(maxBytes) {}

QString LogoDiskCache::FilePath(const QString& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex();
    return folder_ + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".png");
}

std::optional<QImage> LogoDiskCache::Load(const QString& address) const
{
    QFile file(FilePath(address));
    if (!file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        return std::nullopt;
    QImageReader reader(&file, "png");
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    // Used now: eviction takes the logos used longest ago.
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return image;
}

void LogoDiskCache::ReadFolderOnce() const
{
    if (folderRead_)
        return;
    folderRead_ = true;
    total_ = 0;
    const QFileInfoList files = QDir(folder_).entryInfoList({QStringLiteral("*.png")}, QDir::Files);
    for (const QFileInfo& info : files)
        total_ += info.size();
}

qint64 LogoDiskCache::TotalBytes() const
{
    ReadFolderOnce();
    return total_;
}

bool LogoDiskCache::Store(const QString& address, const QImage& logo)
{
    ReadFolderOnce();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!logo.save(&buffer, "PNG"))
        return false;
    if (!QDir().mkpath(folder_))
        return false;
    const QString path = FilePath(address);
    const qint64 before = QFileInfo(path).exists() ? QFileInfo(path).size() : 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return false;
    total_ += png.size() - before;
    if (total_ > maxBytes_)
        Evict();
    return true;
}

void LogoDiskCache::Evict()
{
    // Down to nine tenths of the bound, so that the next few logos do not each start a new round.
    const qint64 target = maxBytes_ - maxBytes_ / 10;
    QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Time | QDir::Reversed);
    total_ = 0;
    for (const QFileInfo& info : files)
        total_ += info.size();
    for (const QFileInfo& info : files) {
        if (total_ <= target)
            break;
        if (QFile::remove(info.filePath()))
            total_ -= info.size();
    }
}

} // namespace zentavo
