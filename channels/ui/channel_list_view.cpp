#include "channel_list_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace zentavo {

ChannelListView::ChannelListView(QWidget* parent) : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* columns = horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(true);
    columns->setStretchLastSection(false);
    connect(this, &QAbstractItemView::iconSizeChanged, this, [this] { UpdateRowHeight(); });
    UpdateRowHeight();
}

void ChannelListView::setHeaderHidden(bool hidden)
{
    horizontalHeader()->setHidden(hidden);
}

bool ChannelListView::isHeaderHidden() const
{
    return horizontalHeader()->isHidden();
}

QModelIndex ChannelListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    // A row is one item: Home and End go to the first and last row, Left and Right stay on the row.
    switch (cursorAction) {
    case MoveHome:
        return rows > 0 ? model()->index(0, current.isValid() ? current.column() : 0, rootIndex()) : QModelIndex();
    case MoveEnd:
        return rows > 0 ? model()->index(rows - 1, current.isValid() ? current.column() : 0, rootIndex())
                        : QModelIndex();
    case MoveLeft:
    case MoveRight:
        return current;
    default:
        return QTableView::moveCursor(cursorAction, modifiers);
    }
}

void ChannelListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        UpdateRowHeight();
}

void ChannelListView::UpdateRowHeight()
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.text = QStringLiteral("Xg");
    option.decorationSize = iconSize().isValid() ? iconSize() : option.decorationSize;
    const int height = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
    QHeaderView* rows = verticalHeader();
    if (height <= 0 || height == rows->defaultSectionSize())
        return;
    rows->setMinimumSectionSize(std::min(height, rows->minimumSectionSize()));
    rows->setDefaultSectionSize(height);
    rows->setMinimumSectionSize(height);
}

} // namespace zentavo
