#pragma once
// The few process-wide values that the windows share; one instance, owned by main and passed by reference.

#include <QString>
#include <string>

namespace zentavo {

// The maker's home page: "Visit Home Page" opens it; the Real page falls back to it.
inline constexpr const char* kHomePageUrl = "https://www.zentavo.org/";

struct AppContext {
    QString AppFolder;           // executable's folder, with a trailing '/'
    QString CurrentChannelId;    // id of the row selected last in the channel list window
    QString CurrentChannelName;  // caption of that row
    std::string StreamPassphrase; // empty until LoadSettings builds it

    QString CataloguePath() const { return AppFolder + QStringLiteral("data/tv-all.xml"); }
    QString FavouritesPath() const { return AppFolder + QStringLiteral("data/tv-list-fav.xml"); }
    QString StartPagePath() const { return AppFolder + QStringLiteral("data/start.zvo"); }
};

} // namespace zentavo
