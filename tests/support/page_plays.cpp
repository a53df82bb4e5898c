#include "page_plays.h"

#include "crypto/stream_passphrase.h"
#include "player/player_profile.h"

#include <QDir>
#include <QFile>
#include <QWebEnginePage>

#include <stdexcept>

namespace zentavo::test {

PagePlays::PagePlays(const QString& cataloguePath) : playback_(context_, scratch_)
{
    if (!programFolder_.isValid() || !QDir(programFolder_.path()).mkdir(QStringLiteral("data"))
        || !QFile::copy(cataloguePath, programFolder_.filePath(QStringLiteral("data/tv-all.xml"))))
        throw std::runtime_error("cannot set up a program folder for " + cataloguePath.toStdString());
    context_.AppFolder = programFolder_.path() + QLatin1Char('/');
    context_.StreamPassphrase = BuildStreamPassphrase();
}

ChannelPlay PagePlays::Prepare(const char* id, bool originalSize)
{
    FillOptions options;
    options.originalSize = originalSize;
    options.channelName = "Channel";
    return playback_.Play(id, options);
}

void PagePlays::Play(QWebEnginePage& page, PlayerProfile& profile, const char* id, bool originalSize)
{
    page.load(profile.UrlForFile(QString::fromStdString(Prepare(id, originalSize).page.string())));
}

} // namespace zentavo::test
