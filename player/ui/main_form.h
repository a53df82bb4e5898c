#pragma once
// The main window: the browser area that shows the start page or a player page, the player toolbar,
// the snapshot bar, the loading indicator and the menus. Playback preparation, the page bridge,
// the settings store and the browser launcher are classes of their own that the handlers call.

#include "channel_steps.h"

#include "channels/ui/channel_tab.h"
#include "player/channel_audio_tracks.h"
#include "player/channel_playback.h"
#include "player/played_pages.h"
#include "player/player_page.h"
#include "player/recent_titles.h"
#include "player/ui/option_store.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TMainForm;
}

class QDialog;
class QShortcut;
class QWebEnginePage;
class QWebEngineFullScreenRequest;

namespace zentavo {

struct AppContext;
class AudioTrackMenu;
class BrowserLauncher;
class FullScreenMode;
class ErrorReporter;
class OptionStore;
class PageBridge;
class PlayerProfile;
class ScratchFolder;
class TListForm;

// What the main window needs from the rest of the program.
struct MainFormServices {
    OptionStore& options;
    const ErrorReporter& errors;
    BrowserLauncher& browser;
    // The web engine profile the player pages run in; it outlives the window.
    PlayerProfile& profile;
    // Where the player pages of this process are written; it outlives the window.
    ScratchFolder& scratch;
    QString appFolder; // the executable's folder with a trailing '/', set as AppFolder on first show
    PlayerPage::AlertDisplay pageAlerts = PlayerPage::AlertDisplay::Dialog;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(AppContext& context, MainFormServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The channel list window that the Channels menu opens and whose video size choice playback reads.
    void SetListForm(TListForm* listForm);
    // The start-up splash, destroyed when the main window is first shown.
    void SetSplashForm(QWidget* splash);
    // The preferences dialog that Options > Preferences... opens.
    void SetPreferenceForm(QDialog* preferences);

    bool SnapshotMode() const { return snapshotMode_; }
    bool SoundOn() const { return soundOn_; }
    int CurrentMediaKind() const { return currentMediaKind_; }
    bool FirstActivationPending() const { return firstActivationPending_; }
    bool ShowChannelsAtStartup() const;
    void SetShowChannelsAtStartup(bool on);
    bool PlayerFillsScreen() const;
    const RecentTitles& HeardTitles() const { return recentTitles_; }
    // Whether a channel of a list plays, so that channel up and down have a list to go by.
    bool CanStepChannels() const { return steps_.CanStep(); }
    // The Preferences option "Play the last channel at start-up" as stored.
    bool PlayLastChannelAtStartup() const;
    // Stores the option; throws the store's error when it cannot.
    void SetPlayLastChannelAtStartup(bool on);
    PlayerPage* Page() const;

    // A proposed size is accepted only when its width is more than 350 pixels.
    static bool FormCanResize(const QSize& proposed);

public slots:
    // Plays CurrentChannelId under CurrentChannelName.
    void PlayChannel();
    // Plays the channel with that id: the play requests of the channel list window carry it.
    void PlayChannelById(const QString& id, const QString& name);
    // The same for a channel of a list (tab): channel up and down then go by that list.
    void PlayChannelFromList(const QString& id, const QString& name, std::optional<zentavo::ChannelTab> tab);
    // Channel up and down: the next or previous channel of the list the channel that plays was
    // played from, in the list's order and search filter, wrapping around. Nothing while no
    // channel of a list plays.
    void NextChannel();
    void PreviousChannel();
    // Plays the channel played before the one that plays (after Pause: the one paused).
    void BackToLastChannel();
    // Full screen on and off from the keyboard (F11, F).
    void ToggleFullScreen();
    // Moves the volume slider by that many positions while it is on.
    void StepVolume(int positions);
    // Opens the first menu of the menu bar (F10).
    void OpenMenuBar();
    // Stores the volume, mute, the window's place and the last channel; quietly, never throws.
    void SaveRemembered();
    void SetVolumePosition(int position);
    // The programme on now on the channel that plays, from the guide: the title for the desktop's
    // media controls, and a note ("News (until 21:00)") that the window's title shows after the
    // channel's name. Empty when the guide has nothing.
    void ShowProgramme(const QString& title, const QString& note);

    void FormShow();
    void FormActivate();
    void Exit1Click();

    void LoadSettings();
    void SaveSettings();
    void SetPlayerControlsEnabled(bool enabled);

    void V1Click();
    void Radio1Click();
    void Webcam1Click();
    void MyFavorites1Click();
    void AddthischanneltoMyFavorites1Click();
    // The user's own playlists, kept by the channel list window.
    void AddPlaylist1Click();
    void ManagePlaylists1Click();
    void Showcontrol1Click();
    void alwaysontop1Click();
    void ShowChannelswindowwhenstartup1Click();
    void Preferences1Click();
    void Homepage1Click();
    void About1Click();
    void Keyboard1Click();
    // Options > Stream information...: what plays, as the page's player and the gateway know it.
    void StreamInformation1Click();
    // Options > Recent titles...: the stream titles heard since the player started.
    void RecentTitles1Click();
    // Options > Audio track and the toolbar's Audio track button: plays that track of what plays
    // and keeps the choice for the channel.
    void AudioTrack1Chosen(int index);

    void btn_playClick();
    void btn_stopClick();
    void btn_fullClick();
    void btn_muteClick();
    void JvTrackBar1Change(int position);
    void BitBtn1Click();
    void CheckBox1Click();
    void JvSpinEdit1Change(int seconds);
    void Timer1Timer();
    void Timer2Timer();

signals:
    void ChannelStarted(const QString& name);
    void PlaybackStopped();
    // The title of what the playing channel plays now ("Artist - Song"); empty when it names none.
    void NowPlayingChanged(const QString& title);
    void VolumePositionChanged(int position);
    // Whether channel up and down can go anywhere (CanStepChannels) changed.
    void ChannelStepsChanged(bool canStep);
    // Channels > Guide... (Ctrl+G).
    void GuideRequested();
    // The programme on now on the channel that plays changed (ShowProgramme); empty: none.
    void ProgrammeChanged(const QString& title);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void PlaceIntervalBox();
    void ShowStartPage();
    void KeepStartPage();
    void ShowPlay(const ChannelPlay& play, const QString& name);
    void ShowPlayerPage(const std::filesystem::path& file, const PagePlay& reach);
    void RestartLoadingIndicator();
    void SetMuteImage(int imageIndex);
    void OpenChannelList(ChannelTab tab);
    void FullScreenRequested(bool on);
    void PageFullScreenRequested(QWebEngineFullScreenRequest request);
    void LeaveFullScreen();
    // Grows the window so that the page's picture shows at its own size, when the screen has room.
    void PictureRoomWanted(QSize room);
    void SetUpKeys();
    void StepChannel(int step);
    void NoteSteps(const std::function<void()>& change);
    void RestoreGeometry();
    void RestoreSound();
    void PlayRememberedChannel();
    void SetUpAccessibility();
    // The page told the sound tracks of what plays: the menu shows them, and the track kept for the
    // channel plays.
    void AudioTracksSaid(const AudioTracks& tracks);
    void SelectAudioTrack(int index);

    std::unique_ptr<Ui::TMainForm> ui;
    AppContext& context_;
    MainFormServices services_;
    std::unique_ptr<PlayerPage> page_;
    std::unique_ptr<PageBridge> bridge_;
    QPointer<TListForm> listForm_;
    QPointer<QWidget> splash_;
    QPointer<QDialog> preferences_;
    QTimer Timer1;
    QTimer Timer2;
    QShortcut* escape_ = nullptr;
    ChannelPlayback playback_;
    PlayedPages playedPages_;
    QUrl startPage_; // the start page last asked for, until a player page is
    int startPageTries_ = 0;

    bool firstShowDone_ = false;
    bool firstActivationPending_ = false;
    bool loadingSettings_ = false;
    bool settingsRetryWaits_ = false;
    bool soundOn_ = true; // the sound state the page has confirmed
    bool soundWanted_ = true; // the sound state the last mute click asked for
    bool snapshotMode_ = false;
    int currentMediaKind_ = 0;
    std::unique_ptr<FullScreenMode> fullScreen_;
    ChannelSteps steps_;
    RecentTitles recentTitles_;
    ChannelAudioTracks audioTracks_;
    AudioTrackMenu* audioMenu_ = nullptr; // owned by its menu
    RememberedState remembered_; // as read at construction
    bool startPageShown_ = false;
    bool rememberedPlayPending_ = false;
    QString channelTitle_; // the window's title for the channel that plays, without the programme
};

} // namespace zentavo
