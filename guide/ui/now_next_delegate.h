#pragma once
// Paints the "now on" cell of a channel list: the title, and under it a thin bar of how far the
// programme has run (NowNextColumn::ProgressRole).

#include <QStyledItemDelegate>

namespace zentavo {

class NowNextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // A little taller than the text, so that the bar stays clear of it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace zentavo
