#include "player_page_fixture.h"

#include "crypto/stream_passphrase.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "tests/support/page_script.h"

#include <QDir>
#include <QFile>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <stdexcept>

namespace zentavo::test {

PlayerPageFixture::PlayerPageFixture(const QString& cataloguePath)
    : playback_(context_, scratch_), profile_(std::make_unique<PlayerProfile>())
{
    if (!programFolder_.isValid() || !QDir(programFolder_.path()).mkdir(QStringLiteral("data"))
        || !QFile::copy(cataloguePath, programFolder_.filePath(QStringLiteral("data/tv-all.xml"))))
        throw std::runtime_error("cannot set up a program folder for " + cataloguePath.toStdString());
    context_.AppFolder = programFolder_.path() + QLatin1Char('/');
    context_.StreamPassphrase = BuildStreamPassphrase();
    profile_->scripts()->insert(MediaWatchScript());
}

PlayerPageFixture::~PlayerPageFixture()
{
    // The page goes before its profile.
    Close();
    scratch_.Clear();
}

PlayerPage& PlayerPageFixture::Open()
{
    Close();
    page_ = std::make_unique<PlayerPage>(profile_.get(), nullptr, PlayerPage::AlertDisplay::SignalOnly);
    view_ = std::make_unique<QWebEngineView>();
    view_->setPage(page_.get());
    view_->resize(640, 480);
    view_->show();
    return *page_;
}

void PlayerPageFixture::Close()
{
    view_.reset();
    page_.reset();
}

ChannelPlay PlayerPageFixture::Prepare(const char* id, bool originalSize)
{
    FillOptions options;
    options.originalSize = originalSize;
    options.channelName = "Channel";
    return playback_.Play(id, options);
}

void PlayerPageFixture::Play(const char* id, bool originalSize)
{
    if (!page_)
        throw std::logic_error("no page is open");
    const ChannelPlay play = Prepare(id, originalSize);
    page_->load(profile_->UrlForFile(QString::fromStdString(play.page.string()), play.reach));
}

} // namespace zentavo::test
