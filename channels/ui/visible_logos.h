#pragma once
// Asks the logo cache for the logos of the rows a list shows: when the list appears, scrolls,
// is resized, filtered or sorted; and repaints the list when a logo arrives. Rows off screen cost
// nothing, so a list of 100,000 channels is filled as fast as one without logos.

#include <QObject>
#include <QTimer>

class QAbstractItemView;

namespace zentavo {

class ChannelListModel;
class LogoCache;

class VisibleLogos : public QObject {
    Q_OBJECT
public:
    // Watches the view (its child from now on); model and cache must outlive it.
    VisibleLogos(QAbstractItemView* view, ChannelListModel* model, LogoCache* logos);

    // Hands the cache the logo addresses of the rows on screen now.
    void RequestShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* view_;
    // Kept apart from the view: the viewport still sends events while the view is being destroyed,
    // when it can no longer be asked for its viewport.
    const QWidget* viewport_;
    ChannelListModel* model_;
    LogoCache* logos_;
    QTimer settle_; // a burst of scrolling asks once, when it pauses
};

} // namespace zentavo
