#include "player_page.h"

#include "player/navigation_policy.h"

#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>

#include <iterator>

namespace zentavo {

PlayerPage::PlayerPage(QWebEngineProfile* profile, QObject* parent, AlertDisplay alertDisplay)
    : QWebEnginePage(profile, parent), alertDisplay_(alertDisplay)
{
    connect(this, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
        request.accept();
        emit FullScreenRequested(request.toggleOn());
    });
    // The player never goes back or forward: a page that was left is not kept in the history (nor,
    // where the web engine keeps left pages for going back, alive with its media and script heap).
    connect(this, &QWebEnginePage::loadFinished, this, [this] { history()->clear(); });
    // Camera, microphone, location, notifications, screen capture: a player page needs none.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
}

void PlayerPage::RefreshPage()
{
    triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

bool PlayerPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return IsPlayerNavigationAllowed(url, type, isMainFrame);
}

QWebEnginePage* PlayerPage::createWindow(WebWindowType)
{
    return nullptr;
}

void PlayerPage::javaScriptAlert(const QUrl& securityOrigin, const QString& message)
{
    emit AlertShown(message);
    if (alertDisplay_ == AlertDisplay::Dialog)
        QWebEnginePage::javaScriptAlert(securityOrigin, message);
}

void PlayerPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                          const QString& sourceId)
{
    if (message == QLatin1String(kFullScreenOnMarker)) {
        emit FullScreenRequested(true);
        return;
    }
    if (message == QLatin1String(kFullScreenOffMarker)) {
        emit FullScreenRequested(false);
        return;
    }
    if (message.startsWith(QLatin1String(host_names::kPictureRoomMarker))) {
        const QStringList parts = message.mid(int(qstrlen(host_names::kPictureRoomMarker))).split(QLatin1Char('x'));
        bool widthRead = false;
        bool heightRead = false;
        const int width = parts.size() == 2 ? parts[0].toInt(&widthRead) : 0;
        const int height = parts.size() == 2 ? parts[1].toInt(&heightRead) : 0;
        if (widthRead && heightRead && width > 0 && height > 0 && width <= kLargestPictureRoom
            && height <= kLargestPictureRoom)
            emit PictureRoomWanted(QSize(width, height));
        return;
    }
    if (message.startsWith(QLatin1String(host_names::kStatusMarker))) {
        QString words = message.mid(qsizetype(std::size(host_names::kStatusMarker)) - 1, kLongestStatus);
        for (QChar& c : words) {
            if (c.category() == QChar::Other_Control)
                c = QLatin1Char(' ');
        }
        emit StatusSaid(words.simplified());
        return;
    }
    if (message.startsWith(QLatin1String(host_names::kAudioTracksMarker))) {
        if (const auto tracks =
                ReadAudioTracks(QStringView(message).mid(qsizetype(std::size(host_names::kAudioTracksMarker)) - 1)))
            emit AudioTracksSaid(*tracks);
        return;
    }
    if (message.startsWith(QLatin1String(host_names::kChannelListMarker))) {
        const QString tab = message.mid(qsizetype(std::size(host_names::kChannelListMarker)) - 1);
        for (int index = 0; index < int(std::size(host_names::kChannelTabNames)); ++index) {
            if (tab == QLatin1String(host_names::kChannelTabNames[index]))
                emit ChannelListRequested(index);
        }
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

QStringList PlayerPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&)
{
    return {};
}

} // namespace zentavo
