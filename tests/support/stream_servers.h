#pragma once
// Live streaming servers on 127.0.0.1 from Debian's packages, each looping one media file as a live
// channel, for the gateway's tests and benchmarks. Each throws std::runtime_error when its program
// is missing or does not start; the file must be readable by nobody (see SharedFolder).
//
//   auto rtsp = StartVlcRtsp(file, port);  // rtsp://127.0.0.1:port/live
//   auto mmsh = StartVlcMmsh(wmvFile, port); // mmsh://127.0.0.1:port/ (and mms:// through MMS-over-HTTP)
//   NginxRtmpServer rtmp(folder, file);     // rtmp.Url(): rtmp://127.0.0.1:PORT/live/x, many clients
//   auto udp = StartOperatorSender(OperatorProtocol::Udp, tsFile, port); // to udp://127.0.0.1:port

#include "tests/support/server_process.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace zentavo::test {

// VLC serving a file as a live stream: as it is (the stream ends with the file), or, with a pipe
// format, as ffmpeg reads it in real time over and over and hands it through a pipe, a stream
// without end (VLC's own --loop ends every client's stream at the end of each round). VLC listens
// before its stream is ready, so the functions below wait until it answers.
class VlcStreamServer {
public:
    // pipeFormat: empty, or "mpegts" for the looped pipe; output: VLC's options for serving.
    VlcStreamServer(const QString& file, const QString& pipeFormat, const QStringList& output, quint16 port);
    // Waits up to 15 s until a request is answered with `expected` and at least minimumBytes; throws.
    void WaitUntilServing(const QByteArray& request, const QByteArray& expected, int minimumBytes, quint16 port);

private:
    std::unique_ptr<ServerProcess> feed_;
    std::unique_ptr<ServerProcess> vlc_;
};

// VLC's RTSP server of an MPEG-TS file (an MP4 loses its pictures after the first round of the
// loop, where the H.264 stream filter that MPEG-TS needs ends): RTP over UDP (VLC's streaming output offers no RTP over the RTSP connection, so
// a client that asks for TCP first is refused with 461 and falls back, as media players do).
std::unique_ptr<VlcStreamServer> StartVlcRtsp(const QString& file, quint16 port);

// VLC's MMS-over-HTTP server: the file as ASF (it should hold Windows Media codecs), once, as it
// comes. (Through a pipe VLC takes from seconds to never to serve it.)
std::unique_ptr<VlcStreamServer> StartVlcMmsh(const QString& file, quint16 port);

// nginx with its rtmp module (application "live"), fed in real time by ffmpeg from the file.
// Unlike `ffmpeg -listen`, it serves any number of clients one after another.
class NginxRtmpServer {
public:
    NginxRtmpServer(const SharedFolder& folder, const QString& file);
    QString Url() const;

private:
    quint16 port_;
    std::unique_ptr<ServerProcess> nginx_;
    std::unique_ptr<ServerProcess> feed_;
};

// ffmpeg sending an MPEG-TS file, read in real time over and over, as an operator sends a channel:
// to udp://127.0.0.1:port, in RTP to rtp://127.0.0.1:port (and its RTCP to port + 1), or as an SRT
// server on 127.0.0.1:port that waits for one caller and ends when that caller goes. Only ever to
// 127.0.0.1. Returns once it sends, or, for SRT, once it waits for its caller.
enum class OperatorProtocol { Udp, Rtp, Srt };
std::unique_ptr<ServerProcess> StartOperatorSender(OperatorProtocol protocol, const QString& file, quint16 port);

} // namespace zentavo::test
