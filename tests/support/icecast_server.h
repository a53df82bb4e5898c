#pragma once
// An Icecast server (Debian's icecast2) on 127.0.0.1 for tests, with ffmpeg as the sources of its
// mounts, as a radio's playout system feeds them. It runs as nobody when the test is root (icecast2
// refuses root) from a SharedFolder. Throws std::runtime_error when a program is missing or fails.
//
//   IcecastServer icecast(folder);
//   auto source = icecast.StartToneSource("/radio", "mp3"); // a tone, MP3 at 128 kb/s
//   icecast.WaitForMount("/radio");
//   icecast.SetTitle("/radio", "Artist - Song");            // the ICY StreamTitle listeners get
//   icecast.Url("/radio");                                   // http://127.0.0.1:PORT/radio

#include "tests/support/server_process.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace zentavo::test {

class IcecastServer {
public:
    explicit IcecastServer(const SharedFolder& folder);

    QString Url(const QString& mount) const;
    quint16 Port() const { return port_; }

    // ffmpeg sends a 440 Hz tone to the mount in real time, as codec ("mp3" or "mp2").
    std::unique_ptr<ServerProcess> StartToneSource(const QString& mount, const QString& codec) const;
    // ffmpeg sends an MPEG-TS file (readable by nobody), looped in real time, to the mount with its
    // streams copied (H.264 and AAC for a TV channel that the page plays itself).
    std::unique_ptr<ServerProcess> StartTransportStreamSource(const QString& mount, const QString& file) const;
    // Waits up to 15 s until the mount has its source; throws otherwise.
    void WaitForMount(const QString& mount) const;
    // Sets the mount's title through the admin interface; throws when the server does not confirm it.
    void SetTitle(const QString& mount, const QString& title) const;

private:
    std::unique_ptr<ServerProcess> StartSource(const QString& mount, const QStringList& input) const;
    QByteArray Get(const QString& path, bool asAdmin) const;

    quint16 port_;
    std::unique_ptr<ServerProcess> icecast_;
};

} // namespace zentavo::test
