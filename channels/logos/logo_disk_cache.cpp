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

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {

QString DefaultLogoFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/zentavo-player/logos");
}

namespace {

constexpr qsizetype kHashDigits = 64; // SHA-256 in hexadecimal

// A name FilePath gives: the lower-case hexadecimal hash of an address and ".png".
bool IsLogoFileName(const QString& name)
{
    if (name.size() != kHashDigits + 4 || !name.endsWith(QLatin1String(".png")))
        return false;
    for (qsizetype i = 0; i < kHashDigits; ++i) {
        const char16_t c = name[i].unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

// The files the cache wrote, in that order: regular files (a link is none of ours) of its naming.
QFileInfoList OwnFiles(const QString& folder, QDir::SortFlags order)
{
    QFileInfoList own;
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({QStringLiteral("*.png")}, QDir::Files | QDir::NoSymLinks, order)) {
        if (IsLogoFileName(info.fileName()))
            own.append(info);
    }
    return own;
}

} // namespace

LogoDiskCache::LogoDiskCache(QString folder, qint64 maxBytes) : folder_(QDir::cleanPath(folder)), maxBytes_(maxBytes) {}

bool LogoDiskCache::FolderUsable() const
{
    if (refused_)
        return false;
    struct stat info {};
    // lstat: the folder itself, not what a link names.
    if (::lstat(QFile::encodeName(folder_).constData(), &info) != 0)
        return false; // missing: nothing stored yet
    const char* reason = nullptr;
    if (S_ISLNK(info.st_mode))
        reason = "is a symbolic link, not a folder";
    else if (!S_ISDIR(info.st_mode))
        reason = "is not a folder";
    else if (info.st_uid != ::getuid())
        reason = "belongs to another user";
    if (!reason)
        return true;
    // Once a session: every row on screen asks for its logo.
    refused_ = true;
    qWarning("zentavo: the logo folder \"%s\" %s; logos are not kept on disk", qUtf8Printable(folder_), reason);
    return false;
}

QString LogoDiskCache::FilePath(const QString& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex();
    return folder_ + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".png");
}

std::optional<QImage> LogoDiskCache::Load(const QString& address) const
{
    if (!FolderUsable())
        return std::nullopt;
    const QString path = FilePath(address);
    if (QFileInfo(path).isSymLink())
        return std::nullopt; // not a file the cache wrote
    QFile file(path);
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
    if (!FolderUsable())
        return;
    for (const QFileInfo& info : OwnFiles(folder_, QDir::NoSort))
        total_ += info.size();
}

qint64 LogoDiskCache::TotalBytes() const
{
    ReadFolderOnce();
    return total_;
}

bool LogoDiskCache::Store(const QString& address, const QImage& logo)
{
    if (refused_)
        return false;
    ReadFolderOnce();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!logo.save(&buffer, "PNG"))
        return false;
    // The folder is the cache's own, closed to other users; the folders above it are as the user has
    // them.
    if (!QDir().mkpath(QFileInfo(folder_).path()))
        return false;
    if (::mkdir(QFile::encodeName(folder_).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    if (!FolderUsable())
        return false;
    const QString path = FilePath(address);
    // A link of the cache's naming is none of its files; replacing it must not write where it points.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        return false;
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
    const QFileInfoList files = OwnFiles(folder_, QDir::Time | QDir::Reversed);
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
