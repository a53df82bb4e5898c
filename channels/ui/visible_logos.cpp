#include "visible_logos.h"

#include "channel_list_model.h"

#include "channels/logos/logo_cache.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QScrollBar>

namespace zentavo {

VisibleLogos::VisibleLogos(QAbstractItemView* view, ChannelListModel* model, LogoCache* logos)
    : QObject(view), view_(view), viewport_(view->viewport()), model_(model), logos_(logos)
{
    settle_.setSingleShot(true);
    settle_.setInterval(40);
    connect(&settle_, &QTimer::timeout, this, &VisibleLogos::RequestShown);
    const auto schedule = [this] { settle_.start(); };
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, schedule);
    connect(model_, &QAbstractItemModel::modelReset, this, schedule);
    connect(model_, &QAbstractItemModel::layoutChanged, this, schedule);
    view_->viewport()->installEventFilter(this);
    // A logo that arrives is painted with the next repaint of the rows on screen; Qt folds the
    // repaints of a burst of logos into one.
    connect(logos_, &LogoCache::LogoReady, this, [this] {
        if (view_->isVisible())
            view_->viewport()->update();
    });
}

bool VisibleLogos::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == viewport_ && (event->type() == QEvent::Show || event->type() == QEvent::Resize))
        settle_.start();
    return QObject::eventFilter(watched, event);
}

void VisibleLogos::RequestShown()
{
    if (!view_->isVisible() || model_->rowCount() == 0)
        return;
    const int top = view_->indexAt(QPoint(1, 1)).row();
    if (top < 0)
        return;
    int bottom = view_->indexAt(QPoint(1, view_->viewport()->height() - 2)).row();
    if (bottom < 0)
        bottom = model_->rowCount() - 1;
    QStringList addresses;
    for (int row = top; row <= bottom; ++row) {
        const std::string& logo = model_->Row(row).logo;
        if (!logo.empty())
            addresses.append(QString::fromStdString(logo));
    }
    logos_->Show(addresses);
}

} // namespace zentavo
