#include "player_profile.h"

namespace zentavo {

void PlayerProfile::RegisterUrlSchemes() {}

PlayerProfile::PlayerProfile(QObject* parent) : QWebEngineProfile(parent) {}
PlayerProfile::~PlayerProfile() = default;

QUrl PlayerProfile::UrlForFile(const QString& localPath) const { return QUrl::fromLocalFile(localPath); }

} // namespace zentavo
