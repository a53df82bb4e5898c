#include "guide_form.h"

#include "guide_grid.h"
#include "programme_text.h"

#include "channels/search_text.h"
#include "channels/ui/channel_list_model.h"
#include "channels/ui/group_choice.h"
#include "guide/guide_store.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace zentavo {

namespace {
// Enough hits to find a programme by a word of its title; a longer list helps nobody.
constexpr std::size_t kMostTitleHits = 300;
} // namespace

GuideForm::GuideForm(GuideStore& store, GuideClock clock, QWidget* parent)
    : QDialog(parent), store_(store), channelSearch_(new QLineEdit(this)), groupChoice_(new GroupChoice(this)),
      titleSearch_(new QLineEdit(this)), nowButton_(new QPushButton(QStringLiteral("&Now"), this)),
      grid_(new GuideGrid(store, std::move(clock), this)), hits_(new QListWidget(this)), details_(new QLabel(this))
{
    setObjectName(QStringLiteral("GuideForm"));
    setWindowTitle(QStringLiteral("Guide"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(980, 620);

    channelSearch_->setObjectName(QStringLiteral("ChannelSearch"));
    channelSearch_->setPlaceholderText(QStringLiteral("Search channels"));
    channelSearch_->setClearButtonEnabled(true);
    titleSearch_->setObjectName(QStringLiteral("TitleSearch"));
    titleSearch_->setPlaceholderText(QStringLiteral("Find a programme on any day (Enter)"));
    titleSearch_->setClearButtonEnabled(true);
    nowButton_->setObjectName(QStringLiteral("NowButton"));
    nowButton_->setAutoDefault(false);
    hits_->setObjectName(QStringLiteral("TitleHits"));
    hits_->hide();
    details_->setObjectName(QStringLiteral("ProgrammeDetails"));
    details_->setWordWrap(true);
    details_->setTextFormat(Qt::PlainText);
    details_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_->setMinimumHeight(90);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(channelSearch_, 1);
    searchRow->addWidget(groupChoice_);
    searchRow->addWidget(titleSearch_, 1);
    searchRow->addWidget(nowButton_);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(grid_);
    split->addWidget(hits_);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    layout->addWidget(details_);
    setTabOrder(channelSearch_, groupChoice_);
    setTabOrder(groupChoice_, titleSearch_);
    setTabOrder(titleSearch_, nowButton_);
    setTabOrder(nowButton_, grid_);
    setTabOrder(grid_, hits_);

    connect(channelSearch_, &QLineEdit::textChanged, this, [this] { ApplyChannelFilter(); });
    connect(groupChoice_, &GroupChoice::GroupChosen, this, [this] { ApplyChannelFilter(); });
    connect(titleSearch_, &QLineEdit::returnPressed, this, [this] { SearchTitles(); });
    connect(nowButton_, &QPushButton::clicked, this, [this] {
        grid_->ScrollToNow();
        grid_->setFocus(Qt::OtherFocusReason);
    });
    connect(grid_, &GuideGrid::CurrentChanged, this, [this] { ShowDetails(); });
    connect(grid_, &GuideGrid::PlayRequested, this, [this](int row) { Play(row); });
    connect(hits_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { GoToHit(hits_->row(item)); });
    // Ctrl+F goes to the channel search, Ctrl+E to the title search, as a keyboard user expects.
    auto* findChannel = new QShortcut(QKeySequence::Find, this);
    connect(findChannel, &QShortcut::activated, this, [this] {
        channelSearch_->setFocus(Qt::ShortcutFocusReason);
        channelSearch_->selectAll();
    });
    auto* findTitle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(findTitle, &QShortcut::activated, this, [this] {
        titleSearch_->setFocus(Qt::ShortcutFocusReason);
        titleSearch_->selectAll();
    });
    channelSearch_->installEventFilter(this);
    titleSearch_->installEventFilter(this);
    grid_->setFocus(Qt::OtherFocusReason);
    ShowDetails();
}

GuideForm::~GuideForm() = default;

void GuideForm::SetChannels(std::vector<ListRow> rows)
{
    rows_ = std::move(rows);
    foldedCaptions_.clear();
    foldedCaptions_.reserve(rows_.size());
    for (const ListRow& row : rows_)
        foldedCaptions_.push_back(FoldForSearch(row.caption));
    listKeyOfGuideChannel_.clear();
    guideKeysKnown_ = false;
    groupChoice_->SetGroups(ChannelListModel::FactsOf(rows_).groups, groupChoice_->Group());
    ApplyChannelFilter();
}

void GuideForm::Reload()
{
    listKeyOfGuideChannel_.clear();
    guideKeysKnown_ = false;
    titleHits_.clear();
    hits_->clear();
    hits_->hide();
    grid_->Reload();
}

void GuideForm::ApplyChannelFilter()
{
    const std::vector<std::string> words = SearchWords(channelSearch_->text());
    const std::string group = groupChoice_->Group().toStdString();
    std::vector<GuideGridChannel> shown;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if ((group.empty() || rows_[i].group == group) && (words.empty() || HoldsEveryWord(foldedCaptions_[i], words)))
            shown.push_back({rows_[i].id, QString::fromStdString(rows_[i].caption)});
    }
    grid_->SetChannels(std::move(shown));
}

void GuideForm::SearchTitles()
{
    const std::string text = titleSearch_->text().simplified().toStdString();
    hits_->clear();
    titleHits_.clear();
    if (text.empty()) {
        hits_->hide();
        return;
    }
    titleHits_ = store_.SearchTitles(text, kMostTitleHits);
    for (const GuideTitleHit& hit : titleHits_) {
        const QString channel =
            QString::fromStdString(hit.channel.names.empty() ? hit.channel.id : hit.channel.names.front());
        const QDateTime start = QDateTime::fromSecsSinceEpoch(hit.programme.start);
        hits_->addItem(QStringLiteral("%1 %2  %3 - %4")
                           .arg(QLocale().toString(start.date(), QStringLiteral("ddd d MMM")),
                                ClockTime(hit.programme.start), QString::fromStdString(hit.programme.title), channel));
    }
    if (titleHits_.empty())
        hits_->addItem(QStringLiteral("No programme title holds \"%1\".").arg(titleSearch_->text().simplified()));
    hits_->show();
    hits_->setCurrentRow(0);
}

void GuideForm::GoToHit(int hitIndex)
{
    if (hitIndex < 0 || hitIndex >= static_cast<int>(titleHits_.size()))
        return;
    const GuideTitleHit& hit = titleHits_[static_cast<std::size_t>(hitIndex)];
    if (!guideKeysKnown_) {
        // Which channel of the lists shows each guide channel: asked once, when a hit is first used.
        for (const ListRow& row : rows_) {
            if (const std::optional<GuideMatch> match = store_.MatchOf(row.id); match && !match->guideChannelId.empty())
                listKeyOfGuideChannel_.try_emplace(match->guideChannelId, row.id);
        }
        guideKeysKnown_ = true;
    }
    const auto key = listKeyOfGuideChannel_.find(hit.channel.id);
    if (key == listKeyOfGuideChannel_.end()) {
        details_->setText(
            QStringLiteral("No channel of the lists shows %1.")
                .arg(QString::fromStdString(hit.channel.names.empty() ? hit.channel.id : hit.channel.names.front())));
        return;
    }
    const auto findRow = [&] {
        const std::vector<GuideGridChannel>& shown = grid_->Channels();
        const auto found = std::find_if(shown.begin(), shown.end(),
                                        [&](const GuideGridChannel& channel) { return channel.key == key->second; });
        return found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
    };
    int row = findRow();
    if (row < 0) {
        // The channel search or the group filter hides it: the hit wins.
        channelSearch_->clear();
        row = findRow();
    }
    if (row < 0) {
        groupChoice_->setCurrentIndex(0);
        ApplyChannelFilter();
        row = findRow();
    }
    const std::optional<GuideMatch> match = store_.MatchOf(key->second);
    const std::int64_t shift = match ? static_cast<std::int64_t>(match->shiftHours) * 3600 : 0;
    grid_->GoTo(row, hit.programme.start + shift);
    grid_->setFocus(Qt::OtherFocusReason);
}

void GuideForm::ShowDetails()
{
    if (!store_.HasGuide()) {
        details_->setText(
            QStringLiteral("There is no guide yet: add one under Channels > Manage playlists... (Guides)."));
        return;
    }
    const int row = grid_->CurrentRow();
    if (row < 0) {
        details_->setText(rows_.empty() ? QStringLiteral("No channels.")
                                        : QStringLiteral("No channel holds those words."));
        return;
    }
    const GuideGridChannel& channel = grid_->Channels().at(static_cast<std::size_t>(row));
    const std::optional<GuideProgramme> programme = grid_->CurrentProgramme();
    details_->setText(
        channel.caption + QLatin1Char('\n')
        + (programme ? ProgrammeDetails(*programme) : QStringLiteral("No programme in the guide at this time.")));
}

void GuideForm::Play(int gridRow)
{
    const GuideGridChannel& channel = grid_->Channels().at(static_cast<std::size_t>(gridRow));
    // The window closes after the play request, as the channel list window does, so the picture shows.
    const QString key = QString::fromStdString(channel.key);
    const QString caption = channel.caption;
    close();
    emit PlayChannelRequested(key, caption);
}

bool GuideForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == channelSearch_ || watched == titleSearch_)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && !static_cast<QLineEdit*>(watched)->text().isEmpty()) {
            // Esc clears a search first; with nothing typed it closes the window.
            static_cast<QLineEdit*>(watched)->clear();
            return true;
        }
        if (watched == channelSearch_ && (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            grid_->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (watched == titleSearch_ && key == Qt::Key_Down && hits_->isVisible()) {
            hits_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zentavo
