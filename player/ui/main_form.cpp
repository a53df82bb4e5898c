#include "main_form.h"
#include "ui_main_form.h"

#include "audio_track_menu.h"
#include "browser_launcher.h"
#include "error_report.h"
#include "full_screen_mode.h"
#include "option_store.h"
#include "page_bridge.h"
#include "picture_room.h"
#include "player_keys.h"
#include "splash_form.h"
#include "text_dialog.h"
#include "volume_scale.h"
#include "window_place.h"

#include "channels/app_context.h"
#include "channels/catalogue.h"
#include "channels/ui/list_form.h"
#include "channels/ui/plain_text.h"
#include "crypto/stream_passphrase.h"
#include "player/contract/host_names.h"
#include "player/page_generation.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "player/stream_info.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <algorithm>

namespace zentavo {

namespace {

// The toolbar's image list, in its order: the index is what the mute button shows as "imageIndex".
enum ToolbarImage {
    kPlayImage,
    kPauseImage,
    kStopImage,
    kArrowLeftImage,
    kArrowRightImage,
    kMonitorImage,
    kSpeakerSilentImage,
    kSpeakerSoundImage,
    kFramedPictureImage,
    kSpeakerGreyImage,
    kWindowPictureImage,
    kHeartImage
};

QIcon ImageListIcon(int index)
{
    static const char* const kFiles[] = {"00-play",           "01-pause",          "02-stop",
                                         "03-arrow-left",     "04-arrow-right",    "05-monitor",
                                         "06-speaker-silent", "07-speaker-sound",  "08-framed-picture",
                                         "09-speaker-grey",   "10-window-picture", "11-heart"};
    return QIcon(QStringLiteral(":/zentavo/icons/%1.svg").arg(QLatin1String(kFiles[index])));
}

// Resets a flag when the scope ends, also when an error leaves it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace

TMainForm::TMainForm(AppContext& context, MainFormServices services, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()), context_(context), services_(std::move(services)),
      Timer1(this), Timer2(this), playback_(context, services_.scratch), playedPages_(services_.scratch),
      audioTracks_(AudioTrackChoices(context.AudioTrackChoicesPath().toStdString()))
{
    ui->setupUi(this);
    audioMenu_ = new AudioTrackMenu(*ui->AudioTrack1, *ui->btn_audio);
    page_ = std::make_unique<PlayerPage>(&services_.profile, nullptr, services_.pageAlerts);
    ui->WebBrowser1->setPage(page_.get());
    bridge_ = std::make_unique<PageBridge>(*page_, services_.errors);
    connect(&services_.profile, &PlayerProfile::NowPlayingChanged, this, &TMainForm::NowPlayingChanged);

    // Client area 469 x 413 below the menu bar; narrower than 351 pixels is refused.
    resize(469, 413 + ui->MainMenu1->sizeHint().height());
    setMinimumWidth(351);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    ui->Panel_load->raise();
    PlaceIntervalBox();
    fullScreen_ =
        std::make_unique<FullScreenMode>(*this, QList<QWidget*>{ui->MainMenu1, ui->ToolBar_player, ui->Panel_foto});
    SetMuteImage(kSpeakerSoundImage);
    remembered_ = services_.options.ReadRemembered();
    RestoreGeometry();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(5000);

    connect(ui->V1, &QAction::triggered, this, &TMainForm::V1Click);
    connect(ui->Radio1, &QAction::triggered, this, &TMainForm::Radio1Click);
    connect(ui->Webcam1, &QAction::triggered, this, &TMainForm::Webcam1Click);
    connect(ui->MyFavorites1, &QAction::triggered, this, &TMainForm::MyFavorites1Click);
    connect(ui->AddthischanneltoMyFavorites1, &QAction::triggered, this, &TMainForm::AddthischanneltoMyFavorites1Click);
    connect(ui->AddPlaylist1, &QAction::triggered, this, &TMainForm::AddPlaylist1Click);
    connect(ui->ManagePlaylists1, &QAction::triggered, this, &TMainForm::ManagePlaylists1Click);
    connect(ui->Guide1, &QAction::triggered, this, &TMainForm::GuideRequested);
    connect(ui->Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);
    connect(ui->Showcontrol1, &QAction::triggered, this, &TMainForm::Showcontrol1Click);
    connect(ui->alwaysontop1, &QAction::triggered, this, &TMainForm::alwaysontop1Click);
    connect(ui->ShowChannelswindowwhenstartup1, &QAction::triggered, this,
            &TMainForm::ShowChannelswindowwhenstartup1Click);
    connect(ui->Preferences1, &QAction::triggered, this, &TMainForm::Preferences1Click);
    connect(ui->Homepage1, &QAction::triggered, this, &TMainForm::Homepage1Click);
    connect(ui->About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(ui->Keyboard1, &QAction::triggered, this, &TMainForm::Keyboard1Click);
    connect(ui->StreamInformation1, &QAction::triggered, this, &TMainForm::StreamInformation1Click);
    connect(ui->RecentTitles1, &QAction::triggered, this, &TMainForm::RecentTitles1Click);
    connect(audioMenu_, &AudioTrackMenu::TrackChosen, this, &TMainForm::AudioTrack1Chosen);
    connect(page_.get(), &PlayerPage::AudioTracksSaid, this, &TMainForm::AudioTracksSaid);

    connect(ui->btn_play, &QToolButton::clicked, this, &TMainForm::btn_playClick);
    connect(ui->btn_stop, &QToolButton::clicked, this, &TMainForm::btn_stopClick);
    connect(ui->btn_full, &QToolButton::clicked, this, &TMainForm::btn_fullClick);
    connect(ui->btn_mute, &QToolButton::clicked, this, &TMainForm::btn_muteClick);
    connect(ui->JvTrackBar1, &QSlider::valueChanged, this, &TMainForm::JvTrackBar1Change);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TMainForm::CheckBox1Click);
    connect(ui->JvSpinEdit1, &QSpinBox::valueChanged, this, &TMainForm::JvSpinEdit1Change);
    connect(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
    // A settings load that failed is tried again once the user has been in another program.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            settingsRetryWaits_ = false;
    });

    connect(page_.get(), &QWebEnginePage::fullScreenRequested, this, &TMainForm::PageFullScreenRequested);
    connect(page_.get(), &PlayerPage::FullScreenRequested, this, &TMainForm::FullScreenRequested);
    connect(page_.get(), &PlayerPage::PictureRoomWanted, this, &TMainForm::PictureRoomWanted);
    // The page file of a play goes once the next page has loaded.
    connect(page_.get(), &QWebEnginePage::loadFinished, this, [this] {
        playedPages_.Loaded(page_->url());
        KeepStartPage();
        // The first page is the start page: the remembered channel may play once it shows.
        if (!startPageShown_ && firstShowDone_) {
            startPageShown_ = true;
            PlayRememberedChannel();
            return;
        }
        // A new stream page starts at full volume with sound: it takes the slider and mute state.
        const bool streamPage = currentMediaKind_ == static_cast<int>(MediaKind::WindowsMedia)
            || currentMediaKind_ == static_cast<int>(MediaKind::Real);
        if (ui->JvTrackBar1->isEnabled() && !snapshotMode_ && streamPage) {
            if (ui->JvTrackBar1->value() != ui->JvTrackBar1->maximum())
                JvTrackBar1Change(ui->JvTrackBar1->value());
            if (!soundWanted_)
                bridge_->ClickPageButton(QStringLiteral("HTML_SetONSound"), [this] {
                    soundOn_ = false;
                    SetMuteImage(kSpeakerSilentImage);
                    ui->btn_mute->setChecked(true);
                });
        }
    });
    SetUpKeys();
    SetUpAccessibility();
}

void TMainForm::SetUpAccessibility()
{
    // The player's words reach assistive technology as the description of the browser area, whose
    // name says what plays; the page holds a live region with the same words besides.
    ui->WebBrowser1->setAccessibleName(QStringLiteral("Start page"));
    connect(page_.get(), &PlayerPage::StatusSaid, this,
            [this](const QString& words) { ui->WebBrowser1->setAccessibleDescription(words); });
    connect(&services_.profile, &PlayerProfile::NowPlayingChanged, this,
            [this](const QString& title) { recentTitles_.Add(title, QDateTime::currentDateTime()); });
    // The start page's key chips open the channel list as the menu items do; no other page may.
    // Queued: the list window runs a loop of its own, which must not run inside the page's call.
    connect(
        page_.get(), &PlayerPage::ChannelListRequested, this,
        [this](int tab) {
            if (!startPage_.isEmpty() && page_->url() == startPage_)
                OpenChannelList(static_cast<ChannelTab>(tab));
        },
        Qt::QueuedConnection);
}

void TMainForm::SetUpKeys()
{
    // Every key of the window's own is in the PlayerKeys table; the menu items keep theirs.
    for (const PlayerKey& key : PlayerKeys()) {
        std::function<void()> run;
        switch (key.command) {
        case PlayerCommand::NextChannel:
            run = [this] { NextChannel(); };
            break;
        case PlayerCommand::PreviousChannel:
            run = [this] { PreviousChannel(); };
            break;
        case PlayerCommand::LastChannel:
            run = [this] { BackToLastChannel(); };
            break;
        case PlayerCommand::FullScreen:
            run = [this] { ToggleFullScreen(); };
            break;
        case PlayerCommand::LeaveFullScreen:
            run = [this] { LeaveFullScreen(); };
            break;
        case PlayerCommand::Mute:
            run = [this] {
                // Only a stream page has the sound buttons.
                if (ui->btn_mute->isEnabled() && !snapshotMode_)
                    btn_muteClick();
            };
            break;
        case PlayerCommand::VolumeUp:
            run = [this] { StepVolume(kVolumeKeyStep); };
            break;
        case PlayerCommand::VolumeDown:
            run = [this] { StepVolume(-kVolumeKeyStep); };
            break;
        case PlayerCommand::MenuBar:
            run = [this] { OpenMenuBar(); };
            break;
        }
        for (const QKeySequence& sequence : key.keys) {
            auto* shortcut = new QShortcut(sequence, this);
            shortcut->setObjectName(QStringLiteral("Key ") + sequence.toString(QKeySequence::PortableText));
            connect(shortcut, &QShortcut::activated, this, run);
            if (key.command == PlayerCommand::LeaveFullScreen) {
                // Esc belongs to the page except while the player fills the screen.
                escape_ = shortcut;
                escape_->setEnabled(false);
            }
        }
    }
}

void TMainForm::RestoreGeometry()
{
    // A stored place that no screen shows any more (a screen gone, a smaller resolution) is left
    // alone: the window stays centred.
    if (!remembered_.geometry)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    if (!ReachableOnScreens(*remembered_.geometry, screens))
        return;
    QRect rect = *remembered_.geometry;
    rect.setWidth(std::max(rect.width(), minimumWidth()));
    setGeometry(rect);
    if (remembered_.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::RestoreSound()
{
    // The slider is off until a stream page shows: moving it tells no page, only the desktop.
    if (remembered_.volume)
        ui->JvTrackBar1->setValue(*remembered_.volume);
    if (remembered_.muted.value_or(false)) {
        soundOn_ = false;
        soundWanted_ = false;
        SetMuteImage(kSpeakerSilentImage);
        ui->btn_mute->setChecked(true);
    }
}

void TMainForm::PlayRememberedChannel()
{
    // Once the start page shows and the first activation has loaded the settings (the lists were
    // filled at the first show); not when the user has played a channel meanwhile. A channel that
    // the lists no longer hold is skipped without a word.
    if (!rememberedPlayPending_ || !startPageShown_ || firstActivationPending_)
        return;
    rememberedPlayPending_ = false;
    if (steps_.Current() || !listForm_)
        return;
    const std::string id = remembered_.lastChannelId.toStdString();
    std::optional<ChannelTab> tab;
    std::optional<ListRow> row;
    if (remembered_.lastChannelTab) {
        tab = static_cast<ChannelTab>(*remembered_.lastChannelTab);
        row = listForm_->FindRow(*tab, id);
    }
    for (int index = 0; !row && index < 4; ++index)
        row = listForm_->FindRow(static_cast<ChannelTab>(index), id);
    if (!row)
        return;
    try {
        PlayChannelFromList(remembered_.lastChannelId, QString::fromStdString(row->caption), tab);
    } catch (const std::exception&) {
        // A channel that cannot play any more says nothing at start-up.
    }
}

void TMainForm::PlaceIntervalBox()
{
    // The interval box covers the run of blanks in the check box's caption, so the bar reads
    // "Enabled auto refresh ( 30 second )" whatever the width of the font.
    const QString caption = ui->CheckBox1->text();
    const qsizetype blanks = caption.indexOf(QLatin1String("  "));
    if (blanks < 0)
        return;
    qsizetype end = blanks;
    while (end < caption.size() && caption.at(end) == QLatin1Char(' '))
        ++end;
    const QFontMetrics metrics(ui->CheckBox1->font());
    const int textLeft = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, ui->CheckBox1)
        + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, ui->CheckBox1);
    const int runLeft = textLeft + metrics.horizontalAdvance(caption.left(blanks));
    const int runWidth = metrics.horizontalAdvance(caption.mid(blanks, end - blanks));
    QWidget* box = ui->JvSpinEdit1;
    const int x = ui->CheckBox1->x() + runLeft + std::max(0, (runWidth - box->width()) / 2);
    box->move(x, box->y());
    ui->CheckBox1->resize(std::max(ui->CheckBox1->width(), ui->CheckBox1->sizeHint().width()), ui->CheckBox1->height());
    box->raise();
}

TMainForm::~TMainForm()
{
    // The bridge goes first (the page answers pending calls while it is destroyed), and the page
    // before its profile.
    bridge_.reset();
    delete ui->WebBrowser1;
    page_.reset();
}

void TMainForm::SetListForm(TListForm* listForm)
{
    if (listForm_)
        disconnect(listForm_, nullptr, this, nullptr);
    listForm_ = listForm;
    if (listForm_)
        connect(listForm_, &TListForm::PlayChannelRequested, this, [this](const QString& id, const QString& name) {
            PlayChannelFromList(id, name, listForm_ ? std::optional(listForm_->CurrentTab()) : std::nullopt);
        });
}

void TMainForm::SetSplashForm(QWidget* splash)
{
    splash_ = splash;
}

void TMainForm::SetPreferenceForm(QDialog* preferences)
{
    preferences_ = preferences;
}

bool TMainForm::ShowChannelsAtStartup() const
{
    return ui->ShowChannelswindowwhenstartup1->isChecked();
}

void TMainForm::SetShowChannelsAtStartup(bool on)
{
    ui->ShowChannelswindowwhenstartup1->setChecked(on);
}

bool TMainForm::PlayLastChannelAtStartup() const
{
    return services_.options.ReadPlayLastChannel();
}

void TMainForm::SetPlayLastChannelAtStartup(bool on)
{
    services_.options.WritePlayLastChannel(on);
}

PlayerPage* TMainForm::Page() const
{
    return page_.get();
}

bool TMainForm::PlayerFillsScreen() const
{
    return fullScreen_->IsOn();
}

bool TMainForm::FormCanResize(const QSize& proposed)
{
    return proposed.width() > 350;
}

// ---- start-up and shutdown -------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!firstShowDone_ && !event->spontaneous()) {
        firstShowDone_ = true;
        FormShow();
    }
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !settingsRetryWaits_)
        FormActivate();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainForm::FormShow()
{
    // Pages that players ended by Exit, a signal or a crash left behind.
    services_.scratch.RemoveLeftovers();
    firstActivationPending_ = true;
    soundOn_ = true;
    soundWanted_ = true;
    SetMuteImage(kSpeakerSoundImage);
    ui->btn_mute->setChecked(false);
    context_.CurrentChannelId.clear();
    SetPlayerControlsEnabled(false);
    RestoreSound();
    rememberedPlayPending_ = !remembered_.lastChannelId.isEmpty() && services_.options.ReadPlayLastChannel();
    context_.AppFolder = services_.appFolder;
    ShowStartPage();
    if (listForm_)
        listForm_->LoadListsInBackground();
    delete splash_.data();
}

void TMainForm::FormActivate()
{
    // The modal channel list window of LoadSettings deactivates and reactivates this window:
    // that is not a new first activation.
    if (!firstActivationPending_ || loadingSettings_)
        return;
    FlagScope loading(loadingSettings_);
    // After a failure the error box itself hands the activation back to this window: trying again
    // then would show the box forever. The next try waits until the user comes back from elsewhere.
    settingsRetryWaits_ = true;
    LoadSettings();
    settingsRetryWaits_ = false;
    firstActivationPending_ = false;
    PlayRememberedChannel();
}

void TMainForm::FormClose()
{
    SaveRemembered();
    services_.scratch.Clear();
}

void TMainForm::Exit1Click()
{
    SaveRemembered();
    // Ends the loop at once: the windows are not closed, so the page stays until the next start-up.
    QCoreApplication::exit(0);
}

// ---- settings ---------------------------------------------------------------------------------

void TMainForm::LoadSettings()
{
    // The passphrase owes nothing to the settings store: it is built first, so that a broken
    // config folder costs the stored option only, never playback.
    context_.StreamPassphrase = BuildStreamPassphrase();
    // Address playlists older than a day are read again in the background; the lists follow.
    if (listForm_)
        listForm_->RefreshOldPlaylists();
    services_.options.CreateKey();
    const QString stored = services_.options.ReadChannelStart();
    if (stored == QLatin1String("1")) {
        if (listForm_)
            listForm_->exec();
        ui->ShowChannelswindowwhenstartup1->setChecked(true);
    } else {
        ui->ShowChannelswindowwhenstartup1->setChecked(false);
    }
}

void TMainForm::SaveRemembered()
{
    RememberedState state;
    state.volume = ui->JvTrackBar1->value();
    state.muted = !soundWanted_;
    state.maximized = isMaximized();
    state.geometry = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    if (const std::optional<PlayedChannel>& channel = steps_.Current()) {
        state.lastChannelId = channel->id;
        state.lastChannelName = channel->name;
        if (channel->tab)
            state.lastChannelTab = static_cast<int>(*channel->tab);
    }
    try {
        services_.options.WriteRemembered(state);
    } catch (...) {
        // Remembering is a convenience: a store that fails costs the next start its old place.
    }
}

void TMainForm::SaveSettings()
{
    services_.options.WriteChannelStart(ui->ShowChannelswindowwhenstartup1->isChecked());
}

void TMainForm::ShowChannelswindowwhenstartup1Click()
{
    // The menu item has already inverted its check mark. When the value cannot be stored, the
    // mark goes back to what the file says before the error is shown.
    try {
        SaveSettings();
    } catch (...) {
        bool stored = false;
        try {
            stored = services_.options.ReadChannelStart() == QLatin1String("1");
        } catch (...) {
            // An unreadable value counts as off, as at start-up.
        }
        ui->ShowChannelswindowwhenstartup1->setChecked(stored);
        throw;
    }
}

void TMainForm::Preferences1Click()
{
    if (preferences_)
        preferences_->exec();
}

// ---- window commands ----------------------------------------------------------------------------

void TMainForm::SetPlayerControlsEnabled(bool enabled)
{
    ui->btn_play->setChecked(false);
    ui->btn_stop->setChecked(false);
    for (QWidget* control :
         {static_cast<QWidget*>(ui->btn_play), static_cast<QWidget*>(ui->btn_stop), static_cast<QWidget*>(ui->btn_full),
          static_cast<QWidget*>(ui->btn_mute), static_cast<QWidget*>(ui->JvTrackBar1)})
        control->setEnabled(enabled);
    Timer1.stop();
}

void TMainForm::Showcontrol1Click()
{
    // The item has already inverted its check mark: unchecked now means it was checked.
    QWidget* bar = snapshotMode_ ? static_cast<QWidget*>(ui->Panel_foto) : static_cast<QWidget*>(ui->ToolBar_player);
    bar->setVisible(ui->Showcontrol1->isChecked());
}

void TMainForm::alwaysontop1Click()
{
    const bool onTop = ui->alwaysontop1->isChecked();
    QList<QWidget*> windows{this};
    if (listForm_)
        windows.append(listForm_);
    if (preferences_)
        windows.append(preferences_);
    for (QWidget* window : windows) {
        const bool visible = window->isVisible();
        const QPoint position = window->pos();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (visible) {
            window->move(position);
            window->show();
        }
    }
}

void TMainForm::Homepage1Click()
{
    OpenInBrowser(QString::fromLatin1(kHomePageUrl), services_.browser);
}

void TMainForm::About1Click()
{
    TSplashForm about;
    about.SetStatusText(QStringLiteral("About ..."));
    about.exec();
}

void TMainForm::Keyboard1Click()
{
    QList<QAction*> items;
    for (const QAction* menu : ui->MainMenu1->actions()) {
        if (menu->menu())
            items << menu->menu()->actions();
    }
    ShowKeyboardDialog(this, KeyboardListText(items));
}

void TMainForm::StreamInformation1Click()
{
    // A webcam page shows a picture, not a stream.
    if (snapshotMode_) {
        const QString refresh = ui->CheckBox1->isChecked()
            ? QStringLiteral("refreshed every %1 seconds").arg(ui->JvSpinEdit1->value())
            : QStringLiteral("refreshed with the Refresh button");
        ShowTextDialog(this, QStringLiteral("StreamInformationDialog"), QStringLiteral("StreamInformationText"),
                       QStringLiteral("Stream information"),
                       QStringLiteral("A webcam picture, ") + refresh + QStringLiteral(".\n"));
        return;
    }
    // The page answers asynchronously; a page without players (the start page, a picture) answers
    // null, and so does a page that is gone.
    const QString call = QString::fromStdString(host_names::ObjectsCall(host_names::kStreamInfoCall));
    page_->runJavaScript(call, QWebEngineScript::MainWorld, [form = QPointer<TMainForm>(this)](const QVariant& answer) {
        if (!form)
            return;
        std::optional<StreamFacts> facts = StreamFactsFromPage(answer);
        if (facts && !facts->gatewaySession.isEmpty())
            facts->gateway = form->services_.profile.GatewayFacts(facts->gatewaySession);
        const QString text = StreamInformationText(facts);
        // Out of the page's call: the dialog runs a loop of its own.
        QTimer::singleShot(0, form, [form, text] {
            ShowTextDialog(form, QStringLiteral("StreamInformationDialog"), QStringLiteral("StreamInformationText"),
                           QStringLiteral("Stream information"), text);
        });
    });
}

void TMainForm::RecentTitles1Click()
{
    ShowTextDialog(this, QStringLiteral("RecentTitlesDialog"), QStringLiteral("RecentTitlesText"),
                   QStringLiteral("Recent titles"), recentTitles_.Text());
}

void TMainForm::AudioTracksSaid(const AudioTracks& tracks)
{
    const std::optional<int> kept = audioTracks_.Told(tracks);
    audioMenu_->Show(tracks);
    if (kept)
        SelectAudioTrack(*kept);
}

void TMainForm::AudioTrack1Chosen(int index)
{
    SelectAudioTrack(index);
    audioTracks_.Choose(index);
}

void TMainForm::SelectAudioTrack(int index)
{
    const std::string call = std::string(host_names::kSelectAudioTrackCall) + "(" + std::to_string(index) + ");";
    page_->runJavaScript(QString::fromStdString(host_names::ObjectsCall(call)), QWebEngineScript::MainWorld);
}

void TMainForm::OpenMenuBar()
{
    // The menu bar is hidden while the player fills the screen.
    LeaveFullScreen();
    const QList<QAction*> menus = ui->MainMenu1->actions();
    if (!menus.isEmpty())
        ui->MainMenu1->setActiveAction(menus.first());
}

void TMainForm::StepVolume(int positions)
{
    // As the slider itself: only while a stream page shows.
    if (ui->JvTrackBar1->isEnabled())
        ui->JvTrackBar1->setValue(ui->JvTrackBar1->value() + positions);
}

void TMainForm::ToggleFullScreen()
{
    if (fullScreen_->IsOn()) {
        LeaveFullScreen();
        return;
    }
    // A stream page's player fills the screen through its own button, as the toolbar's does; a
    // picture or the start page fill it as they are.
    if (ui->btn_full->isEnabled() && !snapshotMode_)
        btn_fullClick();
    else
        FullScreenRequested(true);
}

void TMainForm::OpenChannelList(ChannelTab tab)
{
    if (listForm_)
        listForm_->ShowOnTab(tab);
}

void TMainForm::V1Click()
{
    OpenChannelList(ChannelTab::Tv);
}
void TMainForm::Radio1Click()
{
    OpenChannelList(ChannelTab::Radio);
}
void TMainForm::Webcam1Click()
{
    OpenChannelList(ChannelTab::Webcams);
}
void TMainForm::MyFavorites1Click()
{
    OpenChannelList(ChannelTab::Favourites);
}

void TMainForm::AddthischanneltoMyFavorites1Click()
{
    if (listForm_)
        listForm_->EditFavourites(FavouritesCommand::Add);
}

void TMainForm::AddPlaylist1Click()
{
    if (listForm_)
        listForm_->AddPlaylist(this);
}

void TMainForm::ManagePlaylists1Click()
{
    if (listForm_)
        listForm_->ManagePlaylists(this);
}

// ---- playback ---------------------------------------------------------------------------------

void TMainForm::ShowStartPage()
{
    ui->WebBrowser1->setAccessibleName(QStringLiteral("Start page"));
    ui->WebBrowser1->setAccessibleDescription(QString());
    startPage_ = services_.profile.UrlForFile(context_.StartPagePath());
    startPageTries_ = 1;
    page_->load(startPage_);
}

void TMainForm::KeepStartPage()
{
    // A player page that was still on its way in when the start page was asked for can win the
    // race and be shown after all, playing on behind a stopped player: the start page goes in
    // again (once; a start page that cannot load is not asked for forever).
    if (startPage_.isEmpty() || page_->url() == startPage_ || startPageTries_ >= 2)
        return;
    ++startPageTries_;
    page_->load(startPage_);
}

void TMainForm::PlayChannel()
{
    PlayChannelById(context_.CurrentChannelId, context_.CurrentChannelName);
}

void TMainForm::PlayChannelById(const QString& id, const QString& name)
{
    PlayChannelFromList(id, name, std::nullopt);
}

void TMainForm::NoteSteps(const std::function<void()>& change)
{
    const bool before = steps_.CanStep();
    change();
    if (steps_.CanStep() != before)
        emit ChannelStepsChanged(steps_.CanStep());
}

void TMainForm::NextChannel()
{
    StepChannel(1);
}

void TMainForm::PreviousChannel()
{
    StepChannel(-1);
}

void TMainForm::StepChannel(int step)
{
    if (!listForm_ || !steps_.CanStep())
        return;
    const PlayedChannel current = *steps_.Current();
    std::vector<StepRow> rows;
    for (const ListRow& row : listForm_->ShownRows(*current.tab))
        rows.push_back({QString::fromStdString(row.id), QString::fromStdString(row.caption)});
    if (const std::optional<StepRow> next = ChannelSteps::Neighbour(rows, current.id, step))
        PlayChannelFromList(next->id, next->name, current.tab);
}

void TMainForm::BackToLastChannel()
{
    if (const std::optional<PlayedChannel> last = steps_.Last())
        PlayChannelFromList(last->id, last->name, last->tab);
}

void TMainForm::PlayChannelFromList(const QString& id, const QString& name, std::optional<ChannelTab> tab)
{
    LeaveFullScreen();
    FillOptions options;
    options.originalSize = listForm_ ? listForm_->OriginalSizeChosen() : true;
    options.channelName = name.toStdString();
    ChannelPlay play;
    try {
        // The page is written before anything changes: a play that fails leaves the window as it
        // was, with the reason in words.
        play = playback_.Play(id.toStdString(), options);
    } catch (const ListFileError&) {
        ShowPlainMessage(nullptr, QMessageBox::Critical, QStringLiteral("Zentavo Player"),
                         QString::fromLatin1(kListFileMessage));
        return;
    }
    // What plays is the current channel, also when it came by a key: Ctrl+D adds this one. Set
    // before the window announces the play, so that those who hear of it know which channel it is.
    context_.CurrentChannelId = id;
    context_.CurrentChannelName = name;
    audioTracks_.Playing(id);
    audioMenu_->Show({});
    ShowPlay(play, name);
    NoteSteps([&] { steps_.Played({id, name, tab}); });
    SaveRemembered();
}

void TMainForm::ShowPlay(const ChannelPlay& play, const QString& name)
{
    snapshotMode_ = false;
    currentMediaKind_ = play.mediaKind;
    switch (currentMediaKind_) {
    case static_cast<int>(MediaKind::WindowsMedia):
    case static_cast<int>(MediaKind::Real):
        ui->Panel_foto->hide();
        Timer1.stop();
        ui->ToolBar_player->show();
        SetPlayerControlsEnabled(true);
        ui->btn_play->setChecked(true);
        RestartLoadingIndicator();
        break;
    case static_cast<int>(MediaKind::Snapshot):
        ui->Panel_foto->show();
        ui->ToolBar_player->hide();
        Timer1.setInterval(ui->JvSpinEdit1->value() * 1000);
        Timer1.start();
        snapshotMode_ = true;
        RestartLoadingIndicator();
        break;
    default:
        break;
    }
    ShowPlayerPage(play.page, play.reach);
    ui->WebBrowser1->setAccessibleName(QStringLiteral("Player: ") + name);
    ui->WebBrowser1->setAccessibleDescription(QString());
    // The name comes from a catalogue or a playlist.
    channelTitle_ = PlainWindowTitle(QStringLiteral("Zentavo Player - [ ") + name + QStringLiteral(" ]"));
    setWindowTitle(channelTitle_);
    emit ChannelStarted(name);
}

void TMainForm::ShowProgramme(const QString& title, const QString& note)
{
    if (!channelTitle_.isEmpty())
        setWindowTitle(note.isEmpty() ? channelTitle_ : channelTitle_ + QStringLiteral(" - ") + PlainWindowTitle(note));
    emit ProgrammeChanged(title);
}

void TMainForm::ShowPlayerPage(const std::filesystem::path& file, const PagePlay& reach)
{
    startPage_.clear();
    const QUrl url = services_.profile.UrlForFile(QFile::decodeName(file.string().c_str()), reach);
    playedPages_.Add(url, file);
    page_->load(url);
    ui->AddthischanneltoMyFavorites1->setEnabled(true);
}

void TMainForm::RestartLoadingIndicator()
{
    ui->Panel_load->show();
    ui->Panel_load->raise();
    Timer2.stop();
    Timer2.start();
}

void TMainForm::Timer2Timer()
{
    ui->Panel_load->hide();
    Timer2.stop();
}

// ---- player control bridge --------------------------------------------------------------------

void TMainForm::btn_playClick()
{
    ui->btn_play->setChecked(true);
    ui->btn_stop->setChecked(false);
}

void TMainForm::btn_stopClick()
{
    LeaveFullScreen();
    SetPlayerControlsEnabled(false);
    ShowStartPage();
    ui->AddthischanneltoMyFavorites1->setEnabled(false);
    ui->Panel_foto->hide();
    ui->ToolBar_player->show();
    NoteSteps([this] { steps_.Stopped(); });
    audioTracks_.Playing({});
    audioMenu_->Show({});
    emit PlaybackStopped();
}

void TMainForm::btn_fullClick()
{
    bridge_->ClickPageButton(QStringLiteral("HTML_Full"));
}

void TMainForm::SetMuteImage(int imageIndex)
{
    ui->btn_mute->setIcon(ImageListIcon(imageIndex));
    ui->btn_mute->setProperty("imageIndex", imageIndex);
}

void TMainForm::btn_muteClick()
{
    // The button shows the sound state once the page has taken the command: down and the silent
    // loudspeaker while muted, up and the loudspeaker with sound waves while the sound is on.
    // Each click turns the state that the previous click asked for, not the one the page has
    // confirmed so far: two quick clicks come back to sound on, whenever the page answers.
    const bool mute = soundWanted_;
    soundWanted_ = !mute;
    ui->btn_mute->setChecked(!soundOn_);
    bridge_->ClickPageButton(
        mute ? QStringLiteral("HTML_SetONSound") : QStringLiteral("HTML_SetOFFSound"),
        [this, mute] {
            soundOn_ = !mute;
            SetMuteImage(soundOn_ ? kSpeakerSoundImage : kSpeakerSilentImage);
            ui->btn_mute->setChecked(!soundOn_);
        },
        [this] { soundWanted_ = soundOn_; });
}

void TMainForm::SetVolumePosition(int position)
{
    ui->JvTrackBar1->setValue(position);
}

void TMainForm::JvTrackBar1Change(int position)
{
    emit VolumePositionChanged(position);
    // Only a loaded stream page has the volume element (the slider is off on the start page).
    if (!ui->JvTrackBar1->isEnabled() || snapshotMode_)
        return;
    const QString name = QStringLiteral("HTML_Sound");
    bridge_->SetPageElementValue(name, PageVolumeText(position, currentMediaKind_),
                                 [this, name] { bridge_->ClickPageButton(name); });
}

void TMainForm::BitBtn1Click()
{
    page_->RefreshPage();
}

void TMainForm::CheckBox1Click()
{
    const bool on = ui->CheckBox1->isChecked();
    Timer1.setInterval(ui->JvSpinEdit1->value() * 1000);
    if (on)
        Timer1.start();
    else
        Timer1.stop();
    ui->JvSpinEdit1->setEnabled(on);
}

void TMainForm::JvSpinEdit1Change(int seconds)
{
    Timer1.setInterval(seconds * 1000);
}

void TMainForm::Timer1Timer()
{
    ui->BitBtn1->click();
}

// ---- full screen ----------------------------------------------------------------------------------

void TMainForm::PageFullScreenRequested(QWebEngineFullScreenRequest request)
{
    request.accept();
    FullScreenRequested(request.toggleOn());
}

void TMainForm::FullScreenRequested(bool on)
{
    if (on)
        fullScreen_->Enter();
    else
        fullScreen_->Leave();
    escape_->setEnabled(fullScreen_->IsOn());
}

void TMainForm::PictureRoomWanted(QSize room)
{
    const QScreen* screen = this->screen();
    if (fullScreen_->IsOn() || isMaximized() || isFullScreen() || !screen)
        return;
    const auto frame = FrameForPictureRoom(frameGeometry(), ui->WebBrowser1->size(), room, screen->availableGeometry());
    if (!frame)
        return;
    resize(size() + (frame->size() - frameGeometry().size()));
    move(frame->topLeft());
}

void TMainForm::LeaveFullScreen()
{
    if (!fullScreen_->IsOn())
        return;
    FullScreenRequested(false);
    // The page's player objects shrink back too (Esc reaches the window's shortcut, not the page).
    page_->runJavaScript(QString::fromStdString(host_names::ObjectsCall("leaveFullScreen();")),
                         QWebEngineScript::MainWorld);
    page_->triggerAction(QWebEnginePage::ExitFullScreen);
}

} // namespace zentavo
