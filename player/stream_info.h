#pragma once
// The player's stream information: what the page's player knows of what it plays (its answer to
// the objects' streamInfo call) and what the media gateway learnt when it opened the source, put
// into plain lines that the user reads and copies. Fields that nobody knows say "unknown".

#include "player/gateway/source_facts.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace zentavo {

struct StreamFacts {
    QString scheme; // of the address that plays ("http", "mms", ...), lower case
    QString engine; // what plays it on the page: native, hls, mpegts, dash, gateway
    QString state; // the player's state ("playing", "buffering", ...)
    QString container;
    QString videoCodec;
    int width = 0;
    int height = 0;
    double frameRate = 0;
    QString audioCodec;
    int channels = 0;
    int sampleRate = 0;
    qint64 bitRate = 0;
    QString gatewaySession; // the gateway session the page reads, when it reads one
    std::optional<SourceFacts> gateway; // what that session knows
};

// The page's answer, as runJavaScript hands it over (a map; null when the page has no player).
// Texts are cut short and numbers out of range dropped: the page's libraries read them from the
// stream.
std::optional<StreamFacts> StreamFactsFromPage(const QVariant& answer);

// One "Name: value" line a field, in a fixed order; a line in words when nothing plays.
QString StreamInformationText(const std::optional<StreamFacts>& facts);

} // namespace zentavo
