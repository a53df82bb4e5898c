#include "source_title.h"

#include "player/gateway/stream_title.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace zentavo {

QString SourceTitle(AVFormatContext* source, const std::vector<bool>& played)
{
    // FFmpeg's http protocol keeps the latest ICY block in its "icy_metadata_packet" option.
    if (source->pb) {
        uint8_t* block = nullptr;
        if (av_opt_get(source->pb, "icy_metadata_packet", AV_OPT_SEARCH_CHILDREN, &block) >= 0 && block) {
            const QString title = IcyStreamTitle(reinterpret_cast<const char*>(block));
            const bool hasBlock = block[0] != 0;
            av_free(block);
            if (hasBlock)
                return title;
        }
    }
    if (const AVDictionaryEntry* entry = av_dict_get(source->metadata, "title", nullptr, 0);
        entry && !ContainerTitle(entry->value).isEmpty())
        return ContainerTitle(entry->value);
    for (unsigned index = 0; index < source->nb_streams && index < played.size(); ++index) {
        if (!played[index])
            continue;
        if (const AVDictionaryEntry* entry = av_dict_get(source->streams[index]->metadata, "title", nullptr, 0);
            entry && !ContainerTitle(entry->value).isEmpty())
            return ContainerTitle(entry->value);
    }
    return {};
}

void SourceTitlePoll::Poll(AVFormatContext* source, const std::vector<bool>& played)
{
    if (!changed_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_)
        return;
    next_ = now + std::chrono::seconds(1);
    const QString title = SourceTitle(source, played);
    if (title == title_)
        return;
    title_ = title;
    changed_(title_);
}

} // namespace zentavo
