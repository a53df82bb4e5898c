#pragma once
// Splits a radio stream sent with ICY metadata (the server's "icy-metaint: N" answer to
// "Icy-MetaData: 1") into its sound, which is dropped, and its metadata blocks: after every N bytes of
// sound, one length byte L, then L * 16 bytes of "StreamTitle='...';" text. Holds at most one block.

#include <QByteArray>
#include <QString>

#include <optional>

namespace zentavo {

class IcyMetadataParser {
public:
    // interval: the bytes of sound between two blocks (icy-metaint), above 0.
    explicit IcyMetadataParser(qint64 interval);

    // Takes the next bytes of the stream; returns the title of the last block that ended in them
    // (empty when that block names none), or nothing when no block with text ended. Servers send a
    // block of length 0 while the title stays the same.
    std::optional<QString> Feed(const char* data, qint64 size);

private:
    const qint64 interval_;
    qint64 soundLeft_;
    qint64 blockLeft_ = -1; // -1: the length byte comes next (after the sound)
    QByteArray block_;
};

} // namespace zentavo
