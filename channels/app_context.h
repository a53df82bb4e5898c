#pragma once
// The few process-wide values that the windows share; one instance, owned by main and passed by reference.

#include "catalogue_index.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <memory>
#include <string>

namespace zentavo {

// The maker's home page: "Visit Home Page" opens it; the Real page falls back to it.
inline constexpr const char* kHomePageUrl = "https://www.zentavo.org/";

struct AppContext {
    QString AppFolder; // executable's folder, with a trailing '/'
    QString CurrentChannelId; // id of the row selected last in the channel list window
    QString CurrentChannelName; // caption of that row
    std::string StreamPassphrase; // built by start-up before the windows exist
    // Where the items of the catalogues lie, taken when the lists read them; plays read one item.
    std::shared_ptr<CatalogueIndexes> CataloguePlaces = std::make_shared<CatalogueIndexes>();

    QString CataloguePath() const { return AppFolder + QStringLiteral("data/tv-all.xml"); }
    // The favourites live in the data folder beside the program. When that folder is not the
    // user's to write (a system-wide install), they live in the user's own data folder instead,
    // so that adding a favourite never fails for want of permission.
    QString FavouritesPath() const
    {
        const QString dataFolder = AppFolder + QStringLiteral("data");
        if (QFileInfo(dataFolder).isWritable())
            return dataFolder + QStringLiteral("/tv-list-fav.xml");
        const QString userFolder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zentavo-player");
        QDir().mkpath(userFolder);
        return userFolder + QStringLiteral("/tv-list-fav.xml");
    }
    // The user's own playlists and their catalogues (the shipped catalogue is never written).
    QString PlaylistsFolder() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/zentavo-player/playlists");
    }
    // The sound track chosen for each channel (see AudioTrackChoices).
    QString AudioTrackChoicesPath() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/zentavo-player/audio-tracks.json");
    }
    QString StartPagePath() const { return AppFolder + QStringLiteral("data/start.zvo"); }
};

} // namespace zentavo
