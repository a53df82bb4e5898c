#include "now_next_delegate.h"

#include "now_next_column.h"

#include <QPainter>

namespace zentavo {

namespace {
constexpr int kBarHeight = 2;
constexpr int kBarSpace = kBarHeight + 2; // the bar and a pixel of air above and below it
} // namespace

QSize NowNextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, kBarSpace);
}

void NowNextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant progress = index.data(NowNextColumn::ProgressRole);
    if (!progress.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The selection's background fills the whole cell; the title keeps to the part above the bar.
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.color(QPalette::Highlight));
    QStyleOptionViewItem text = option;
    text.rect.setBottom(option.rect.bottom() - kBarSpace + 1);
    QStyledItemDelegate::paint(painter, text, index);
    const QRect cell = option.rect.adjusted(2, 0, -2, -1);
    const QRect track(cell.left(), cell.bottom() - kBarHeight + 1, cell.width(), kBarHeight);
    QRect done = track;
    done.setWidth(static_cast<int>(track.width() * progress.toDouble()));
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(track, palette.color(selected ? QPalette::HighlightedText : QPalette::Mid).lighter(130));
    painter->fillRect(done, selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Highlight));
    painter->restore();
}

} // namespace zentavo
