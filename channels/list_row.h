#pragma once
// One row of a channel list: caption, the channel id (the hidden second column), the icon index,
// and the address of the channel's logo, its group and its number when the catalogue names them.

#include <string>
#include <vector>

namespace zentavo {

// Icon index of a row whose imgindex is not a decimal integer: the row is listed without an icon.
inline constexpr int kNoIcon = -1;

struct ListRow {
    std::string caption; // UTF-8
    std::string id;
    int iconIndex = 0;
    std::string logo = {}; // empty when the channel has no logo
    std::string group = {}; // the channel's group in its list; empty when it has none
    std::string number = {}; // the channel's number in its list (digits); empty when it has none
};

struct ChannelLists {
    std::vector<ListRow> tv, radio, webcam; // file order
    // Rows left out because an earlier item has the same id: a lookup by that id finds the
    // earlier item, so the row would play a channel it does not name. File order.
    std::vector<ListRow> leftOut;
};

} // namespace zentavo
