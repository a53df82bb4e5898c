#include "group_choice.h"

namespace zentavo {

GroupChoice::GroupChoice(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("GroupFilter"));
    setAccessibleName(QStringLiteral("Group"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    hide();
    connect(this, &QComboBox::activated, this, [this] { emit GroupChosen(Group()); });
}

void GroupChoice::SetGroups(const QStringList& groups, const QString& chosen)
{
    clear();
    addItem(QStringLiteral("All groups"));
    // The name goes in the item's data too: the first item, every group, has none.
    for (const QString& group : groups)
        addItem(group, group);
    const int index = chosen.isEmpty() ? 0 : findData(chosen);
    setCurrentIndex(index < 0 ? 0 : index);
    setVisible(!groups.isEmpty());
}

QString GroupChoice::Group() const
{
    return currentIndex() <= 0 ? QString() : currentData().toString();
}

} // namespace zentavo
