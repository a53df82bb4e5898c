#include "full_screen_mode.h"

#include <QWidget>

namespace zentavo {

FullScreenMode::FullScreenMode(QWidget& window, QList<QWidget*> hiddenWhileOn)
    : window_(window), hiddenWhileOn_(std::move(hiddenWhileOn))
{}

void FullScreenMode::Enter()
{
    if (on_)
        return;
    on_ = true;
    wasMaximized_ = window_.isMaximized();
    wereHidden_.clear();
    for (QWidget* widget : hiddenWhileOn_) {
        wereHidden_.append(widget->isHidden());
        widget->hide();
    }
    window_.showFullScreen();
}

void FullScreenMode::Leave()
{
    if (!on_)
        return;
    on_ = false;
    for (qsizetype i = 0; i < hiddenWhileOn_.size(); ++i)
        hiddenWhileOn_[i]->setVisible(!wereHidden_[i]);
    if (wasMaximized_)
        window_.showMaximized();
    else
        window_.showNormal();
}

} // namespace zentavo
