#include "audio_streams.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace zentavo {

namespace {

QString Metadata(const AVStream* stream, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(stream->metadata, key, nullptr, 0);
    QString text = entry && entry->value ? QString::fromUtf8(entry->value) : QString();
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text.simplified().left(kLongestAudioStreamName);
}

} // namespace

QList<int> AudioStreamIndices(const AVFormatContext* source)
{
    QList<int> indices;
    for (unsigned i = 0; i < source->nb_streams; ++i) {
        if (source->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            indices << static_cast<int>(i);
    }
    return indices;
}

int ChooseAudioStream(AVFormatContext* source, int wanted)
{
    const QList<int> indices = AudioStreamIndices(source);
    if (wanted >= 0 && wanted < indices.size())
        return indices[wanted];
    const int best = av_find_best_stream(source, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    return best >= 0 ? best : -1;
}

QList<AudioStreamName> AudioStreamNames(const AVFormatContext* source)
{
    QList<AudioStreamName> names;
    for (const int index : AudioStreamIndices(source)) {
        const AVStream* stream = source->streams[index];
        names.append({Metadata(stream, "title"), Metadata(stream, "language")});
    }
    return names;
}

} // namespace zentavo
