#pragma once
// Media for tests, made with ffmpeg into a folder (generated once, reused while the files exist).
// Every stream is kSeconds long, a moving test picture with a tone where it has sound:
//   video.mp4 (H.264 + AAC), audio.mp3, stream.ts (MPEG-TS, H.264 + AAC), hls/index.m3u8 (+ segments),
//   dash/manifest.mpd (+ segments), cam.jpg (a still picture), video.wmv and mpeg2.ts (codecs no
//   browser plays: WMV 8 + WMA 2, MPEG-2 video + MP2 sound as broadcast MPEG-TS carries them),
//   video.rm (RealVideo 2 with AC-3 sound) and hevc.ts (HEVC with AAC in MPEG-TS).
// Playlists that must name a server's address are written by the test with WriteTextFile.

#include <QString>
#include <QStringList>

namespace zentavo::test {

struct TestMedia {
    static constexpr int kSeconds = 20;
    static constexpr const char* kMp4 = "video.mp4";
    static constexpr const char* kMp3 = "audio.mp3";
    static constexpr const char* kMpegTs = "stream.ts";
    static constexpr const char* kHls = "hls/index.m3u8";
    static constexpr const char* kDash = "dash/manifest.mpd";
    static constexpr const char* kJpeg = "cam.jpg";
    static constexpr const char* kWmv = "video.wmv"; // WMV 8 + WMA 2: codecs the web engine cannot play
    static constexpr const char* kWmvTitle = "Test Pattern"; // the title in the WMV file's header
    static constexpr const char* kWmvLive = "live.wmv"; // the same codecs, kSeconds long, for live servers
    static constexpr const char* kMpeg2Ts = "mpeg2.ts"; // MPEG-2 video + MP2 sound in MPEG-TS
    static constexpr const char* kRealMedia = "video.rm"; // RealVideo 2 (RV20) + AC-3, as RealServer sent it
    static constexpr const char* kHevcTs = "hevc.ts"; // HEVC (H.265) + AAC in MPEG-TS

    // Streams with two sound tracks, a 440 Hz tone in English and an 880 Hz tone in French (made by
    // GenerateAudioTracks only): MPEG-TS with two AAC streams marked "eng" and "fra", HLS whose
    // master playlist names two alternative audio renditions ("English", "en"; "Français", "fr"), and
    // DASH with two audio adaptation sets ("eng", "fra").
    static constexpr const char* kTwoAudioTs = "two-audio.ts";
    static constexpr const char* kTwoAudioHls = "hls-audio/index.m3u8";
    static constexpr const char* kTwoAudioHlsFrench = "hls-audio/French/stream.m3u8"; // the second rendition
    static constexpr const char* kTwoAudioDash = "dash-audio/manifest.mpd";
    static constexpr const char* kTwoAudioDashFrench = "dash-audio/init-stream2.m4s"; // the second track

    // Generates whatever is missing in `folder`; throws std::runtime_error with ffmpeg's output when it fails.
    static void Generate(const QString& folder);
    static void GenerateAudioTracks(const QString& folder);
};

// Runs ffmpeg in folder with these arguments (after -hide_banner -loglevel error -y); throws
// std::runtime_error with its output when it fails or takes longer than timeoutMs.
void RunFfmpeg(const QString& folder, const QStringList& arguments, int timeoutMs = 120000);

// Writes `text` (UTF-8) to folder/relativePath, creating folders; throws on failure.
void WriteTextFile(const QString& folder, const QString& relativePath, const QString& text);

} // namespace zentavo::test
