#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <stdexcept>

namespace zentavo::test {

void RunFfmpeg(const QString& folder, const QStringList& arguments, int timeoutMs)
{
    QProcess ffmpeg;
    ffmpeg.setWorkingDirectory(folder);
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                             QStringLiteral("-y")}
                     + arguments);
    if (!ffmpeg.waitForFinished(timeoutMs) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        throw std::runtime_error("ffmpeg failed (" + arguments.join(QLatin1Char(' ')).toStdString()
                                 + "): " + ffmpeg.readAll().toStdString() + ffmpeg.errorString().toStdString());
    }
}

namespace {

QStringList Sources()
{
    const QString seconds = QString::number(TestMedia::kSeconds);
    return {QStringLiteral("-f"), QStringLiteral("lavfi"),
            QStringLiteral("-i"), QStringLiteral("testsrc=size=320x240:rate=25:duration=") + seconds,
            QStringLiteral("-f"), QStringLiteral("lavfi"),
            QStringLiteral("-i"), QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + seconds};
}

// Short GOPs so that every stream can start at any second.
QStringList H264Aac()
{
    return {QStringLiteral("-c:v"),
            QStringLiteral("libx264"),
            QStringLiteral("-preset"),
            QStringLiteral("ultrafast"),
            QStringLiteral("-profile:v"),
            QStringLiteral("baseline"),
            QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"),
            QStringLiteral("-g"),
            QStringLiteral("25"),
            QStringLiteral("-keyint_min"),
            QStringLiteral("25"),
            QStringLiteral("-sc_threshold"),
            QStringLiteral("0"),
            QStringLiteral("-c:a"),
            QStringLiteral("aac"),
            QStringLiteral("-b:a"),
            QStringLiteral("96k")};
}

bool Missing(const QString& folder, const char* file)
{
    return !QFileInfo::exists(QDir(folder).filePath(QLatin1String(file)));
}

} // namespace

void TestMedia::Generate(const QString& folder)
{
    QDir().mkpath(folder);
    QDir dir(folder);
    if (Missing(folder, kMp4))
        RunFfmpeg(folder,
                  Sources() + H264Aac()
                      + QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart"), QLatin1String(kMp4)});
    if (Missing(folder, kMp3))
        RunFfmpeg(folder,
                  {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(kSeconds),
                   QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                   QLatin1String(kMp3)});
    if (Missing(folder, kMpegTs))
        RunFfmpeg(folder,
                  {QStringLiteral("-i"), QLatin1String(kMp4), QStringLiteral("-c"), QStringLiteral("copy"),
                   QStringLiteral("-bsf:v"), QStringLiteral("h264_mp4toannexb"), QStringLiteral("-f"),
                   QStringLiteral("mpegts"), QLatin1String(kMpegTs)});
    if (Missing(folder, kHls)) {
        dir.mkpath(QStringLiteral("hls"));
        RunFfmpeg(folder,
                  {QStringLiteral("-i"), QLatin1String(kMp4), QStringLiteral("-c"), QStringLiteral("copy"),
                   QStringLiteral("-bsf:v"), QStringLiteral("h264_mp4toannexb"), QStringLiteral("-f"),
                   QStringLiteral("hls"), QStringLiteral("-hls_time"), QStringLiteral("2"),
                   QStringLiteral("-hls_list_size"), QStringLiteral("0"), QStringLiteral("-hls_playlist_type"),
                   QStringLiteral("vod"), QStringLiteral("-hls_segment_filename"), QStringLiteral("hls/segment%03d.ts"),
                   QLatin1String(kHls)});
    }
    if (Missing(folder, kDash)) {
        dir.mkpath(QStringLiteral("dash"));
        RunFfmpeg(folder,
                  {QStringLiteral("-i"), QLatin1String(kMp4), QStringLiteral("-map"), QStringLiteral("0:v"),
                   QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-c"), QStringLiteral("copy"),
                   QStringLiteral("-f"), QStringLiteral("dash"), QStringLiteral("-seg_duration"), QStringLiteral("2"),
                   QStringLiteral("-use_template"), QStringLiteral("1"), QStringLiteral("-use_timeline"),
                   QStringLiteral("0"), QLatin1String(kDash)});
    }
    if (Missing(folder, kWmv))
        RunFfmpeg(folder,
                  {QStringLiteral("-i"), QLatin1String(kMp4), QStringLiteral("-t"), QStringLiteral("3"),
                   QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                   QStringLiteral("-metadata"), QStringLiteral("title=") + QLatin1String(kWmvTitle),
                   QLatin1String(kWmv)});
    if (Missing(folder, kWmvLive))
        RunFfmpeg(folder,
                  {QStringLiteral("-i"), QLatin1String(kMp4), QStringLiteral("-c:v"), QStringLiteral("wmv2"),
                   QStringLiteral("-g"), QStringLiteral("25"), QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                   QLatin1String(kWmvLive)});
    if (Missing(folder, kMpeg2Ts))
        RunFfmpeg(folder,
                  Sources()
                      + QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-q:v"),
                                    QStringLiteral("4"), QStringLiteral("-g"), QStringLiteral("25"),
                                    QStringLiteral("-c:a"), QStringLiteral("mp2"), QStringLiteral("-f"),
                                    QStringLiteral("mpegts"), QLatin1String(kMpeg2Ts)});
    if (Missing(folder, kRealMedia))
        RunFfmpeg(folder,
                  Sources()
                      + QStringList{QStringLiteral("-c:v"), QStringLiteral("rv20"), QStringLiteral("-b:v"),
                                    QStringLiteral("400k"), QStringLiteral("-g"), QStringLiteral("25"),
                                    QStringLiteral("-c:a"), QStringLiteral("ac3"), QStringLiteral("-b:a"),
                                    QStringLiteral("96k"), QLatin1String(kRealMedia)});
    if (Missing(folder, kHevcTs))
        RunFfmpeg(folder,
                  Sources()
                      + QStringList{QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
                                    QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
                                    QStringLiteral("log-level=error:keyint=25"), QStringLiteral("-pix_fmt"),
                                    QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                                    QStringLiteral("-f"), QStringLiteral("mpegts"), QLatin1String(kHevcTs)});
    if (Missing(folder, kJpeg))
        RunFfmpeg(folder,
                  {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("testsrc=size=320x240:rate=1"), QStringLiteral("-frames:v"), QStringLiteral("1"),
                   QLatin1String(kJpeg)});
}

void TestMedia::GenerateAudioTracks(const QString& folder)
{
    QDir().mkpath(folder);
    const QString seconds = QString::number(kSeconds);
    const QStringList sources = Sources()
        + QStringList{
            QStringLiteral("-f"),   QStringLiteral("lavfi"),
            QStringLiteral("-i"),   QStringLiteral("sine=frequency=880:sample_rate=44100:duration=") + seconds,
            QStringLiteral("-map"), QStringLiteral("0:v"),
            QStringLiteral("-map"), QStringLiteral("1:a"),
            QStringLiteral("-map"), QStringLiteral("2:a")};
    if (Missing(folder, kTwoAudioTs))
        RunFfmpeg(folder,
                  sources + H264Aac()
                      + QStringList{QStringLiteral("-metadata:s:a:0"), QStringLiteral("language=eng"),
                                    QStringLiteral("-metadata:s:a:1"), QStringLiteral("language=fra"),
                                    QStringLiteral("-f"), QStringLiteral("mpegts"), QLatin1String(kTwoAudioTs)});
    if (Missing(folder, kTwoAudioHls)) {
        // FFmpeg writes the renditions; the master playlist is written here, with names of its own.
        RunFfmpeg(folder,
                  sources + H264Aac()
                      + QStringList{QStringLiteral("-f"), QStringLiteral("hls"), QStringLiteral("-hls_time"),
                                    QStringLiteral("2"), QStringLiteral("-hls_list_size"), QStringLiteral("0"),
                                    QStringLiteral("-hls_playlist_type"), QStringLiteral("vod"),
                                    QStringLiteral("-hls_segment_filename"),
                                    QStringLiteral("hls-audio/%v/segment%03d.ts"), QStringLiteral("-var_stream_map"),
                                    QStringLiteral("v:0,agroup:aud,name:video a:0,agroup:aud,name:English "
                                                   "a:1,agroup:aud,name:French"),
                                    QStringLiteral("hls-audio/%v/stream.m3u8")});
        WriteTextFile(folder, QLatin1String(kTwoAudioHls),
                      QStringLiteral("#EXTM3U\n#EXT-X-VERSION:3\n"
                                     "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"English\",LANGUAGE=\"en\","
                                     "DEFAULT=YES,AUTOSELECT=YES,URI=\"English/stream.m3u8\"\n"
                                     "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"Français\",LANGUAGE=\"fr\","
                                     "DEFAULT=NO,AUTOSELECT=YES,URI=\"French/stream.m3u8\"\n"
                                     "#EXT-X-STREAM-INF:BANDWIDTH=400000,RESOLUTION=320x240,"
                                     "CODECS=\"avc1.42c00d,mp4a.40.2\",AUDIO=\"aud\"\nvideo/stream.m3u8\n"));
    }
    if (Missing(folder, kTwoAudioDash)) {
        QDir(folder).mkpath(QStringLiteral("dash-audio"));
        RunFfmpeg(folder,
                  sources + H264Aac()
                      + QStringList{QStringLiteral("-metadata:s:a:0"), QStringLiteral("language=eng"),
                                    QStringLiteral("-metadata:s:a:1"), QStringLiteral("language=fra"),
                                    QStringLiteral("-f"), QStringLiteral("dash"), QStringLiteral("-seg_duration"),
                                    QStringLiteral("2"), QStringLiteral("-use_template"), QStringLiteral("1"),
                                    QStringLiteral("-use_timeline"), QStringLiteral("0"),
                                    QStringLiteral("-adaptation_sets"),
                                    QStringLiteral("id=0,streams=0 id=1,streams=1 id=2,streams=2"),
                                    QLatin1String(kTwoAudioDash)});
    }
}

void WriteTextFile(const QString& folder, const QString& relativePath, const QString& text)
{
    const QString path = QDir(folder).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace zentavo::test
