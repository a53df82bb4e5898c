#pragma once
// Logos kept on disk between sessions: one PNG file per logo address, named by a hash of the
// address, in one folder whose total size stays under a bound (the files used longest ago go first).
// Only files of that naming are counted and removed: whatever else lies in the folder is left alone.
// The folder is made by the cache (0700) and must be a real folder of the user: a symbolic link, or
// a folder of another user, is refused for the session with one warning, and logos are then kept in
// memory only.

#include <QImage>
#include <QString>
#include <optional>

namespace zentavo {

// $XDG_CACHE_HOME/zentavo-player/logos (~/.cache/zentavo-player/logos when the variable is unset).
QString DefaultLogoFolder();

class LogoDiskCache {
public:
    // The folder (and the folders above it) is made when the first logo is stored.
    LogoDiskCache(QString folder, qint64 maxBytes);

    // The logo stored for that address; reading it marks it as used now. Nothing when the folder is
    // refused.
    std::optional<QImage> Load(const QString& address) const;
    // Stores the picture as PNG, replacing an earlier one, then removes the files used longest ago
    // until the folder's logos take at most maxBytes. Returns false when the file cannot be written
    // or the folder is refused.
    bool Store(const QString& address, const QImage& logo);

    // The file that holds the address's logo, whether or not it exists.
    QString FilePath(const QString& address) const;
    // Bytes taken by the stored logos (the folder is read on first use).
    qint64 TotalBytes() const;
    qint64 MaxBytes() const { return maxBytes_; }
    // The folder was found to be no real folder of the user; the disk is not used any more.
    bool Refused() const { return refused_; }

private:
    bool FolderUsable() const;
    void ReadFolderOnce() const;
    void Evict();

    QString folder_;
    qint64 maxBytes_;
    mutable bool refused_ = false;
    mutable bool folderRead_ = false;
    mutable qint64 total_ = 0;
};

} // namespace zentavo
