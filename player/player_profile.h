#pragma once
// The web profile of the player: its settings, the URL scheme that serves player pages and the
// start page as HTML, and the player objects injected into every player page.

#include <QUrl>
#include <QWebEngineProfile>

namespace zentavo {

class PlayerProfile : public QWebEngineProfile {
    Q_OBJECT
public:
    // Must run before the QApplication exists.
    static void RegisterUrlSchemes();

    explicit PlayerProfile(QObject* parent = nullptr);
    ~PlayerProfile() override;

    // The address under which WebBrowser1 shows a generated page file or the start page.
    QUrl UrlForFile(const QString& localPath) const;
};

} // namespace zentavo
