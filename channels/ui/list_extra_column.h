#pragma once
// A column that another part of the player adds to the channel lists (the programme guide's
// "now on"): the lists know nothing of what it shows, they only ask it for a row's data.

#include "channels/list_row.h"

#include <QString>
#include <QVariant>

namespace zentavo {

class ListExtraColumn {
public:
    virtual ~ListExtraColumn() = default;
    // What the row shows in the column for that role; nothing for roles it does not fill.
    virtual QVariant Data(const ListRow& row, int role) const = 0;
};

} // namespace zentavo
