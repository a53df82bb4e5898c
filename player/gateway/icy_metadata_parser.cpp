#include "icy_metadata_parser.h"

#include "player/gateway/stream_title.h"

#include <algorithm>

namespace zentavo {

IcyMetadataParser::IcyMetadataParser(qint64 interval) : interval_(interval), soundLeft_(interval) {}

std::optional<QString> IcyMetadataParser::Feed(const char* data, qint64 size)
{
    std::optional<QString> title;
    while (size > 0) {
        if (soundLeft_ > 0) {
            const qint64 skip = std::min(soundLeft_, size);
            soundLeft_ -= skip;
            data += skip;
            size -= skip;
            continue;
        }
        if (blockLeft_ < 0) {
            blockLeft_ = static_cast<unsigned char>(*data) * 16;
            ++data;
            --size;
            block_.clear();
        } else {
            const qint64 take = std::min(blockLeft_, size);
            block_.append(data, take);
            blockLeft_ -= take;
            data += take;
            size -= take;
        }
        if (blockLeft_ == 0) {
            if (!block_.isEmpty())
                title = IcyStreamTitle(std::string_view(block_.constData(), static_cast<size_t>(block_.size())));
            block_.clear();
            blockLeft_ = -1;
            soundLeft_ = interval_;
        }
    }
    return title;
}

} // namespace zentavo
