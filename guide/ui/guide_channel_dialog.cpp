#include "guide_channel_dialog.h"

#include "guide/guide_store.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentavo {

namespace {
constexpr std::size_t kMostCandidates = 200;

QString ChannelText(const GuideChannel& channel)
{
    const QString id = QString::fromStdString(channel.id);
    if (channel.names.empty())
        return id;
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(channel.names.front()), id);
}

QString KindText(GuideMatchKind kind)
{
    switch (kind) {
    case GuideMatchKind::Hand:
        return QStringLiteral("chosen by hand");
    case GuideMatchKind::Id:
        return QStringLiteral("by its guide id");
    case GuideMatchKind::IdIgnoringCase:
        return QStringLiteral("by its guide id, ignoring case");
    case GuideMatchKind::IdWithoutFeed:
        return QStringLiteral("by its guide id without the feed");
    case GuideMatchKind::Name:
        return QStringLiteral("by its name");
    }
    return {};
}
} // namespace

GuideChannelDialog::GuideChannelDialog(GuideStore& store, std::string listKey, const QString& caption, QWidget* parent)
    : QDialog(parent), store_(store), listKey_(std::move(listKey)), current_(new QLabel(this)),
      search_(new QLineEdit(this)), found_(new QListWidget(this)),
      use_(new QPushButton(QStringLiteral("&Use this channel"), this)),
      none_(new QPushButton(QStringLiteral("&No guide"), this)),
      automatic_(new QPushButton(QStringLiteral("&Automatic"), this))
{
    setObjectName(QStringLiteral("GuideChannelDialog"));
    setWindowTitle(QStringLiteral("Guide channel of %1").arg(caption));
    resize(460, 420);
    current_->setObjectName(QStringLiteral("CurrentMatch"));
    current_->setWordWrap(true);
    search_->setObjectName(QStringLiteral("GuideChannelSearch"));
    search_->setPlaceholderText(QStringLiteral("Search the guide's channels"));
    search_->setClearButtonEnabled(true);
    found_->setObjectName(QStringLiteral("GuideChannels"));
    use_->setObjectName(QStringLiteral("UseChannel"));
    none_->setObjectName(QStringLiteral("NoGuide"));
    automatic_->setObjectName(QStringLiteral("AutomaticMatch"));
    use_->setDefault(true);
    none_->setAutoDefault(false);
    automatic_->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(use_, QDialogButtonBox::AcceptRole);
    buttons->addButton(none_, QDialogButtonBox::ActionRole);
    buttons->addButton(automatic_, QDialogButtonBox::ResetRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(current_);
    layout->addWidget(search_);
    layout->addWidget(found_, 1);
    layout->addWidget(buttons);

    connect(search_, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(found_, &QListWidget::itemActivated, this, [this] { UseSelected(); });
    connect(use_, &QPushButton::clicked, this, [this] { UseSelected(); });
    connect(none_, &QPushButton::clicked, this, [this] { ChooseNone(); });
    connect(automatic_, &QPushButton::clicked, this, [this] { UseAutomatic(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    search_->installEventFilter(this);

    ShowCurrent();
    Search();
    search_->setFocus(Qt::OtherFocusReason);
}

GuideChannelDialog::~GuideChannelDialog() = default;

QString GuideChannelDialog::CurrentMatchText() const
{
    const std::optional<GuideMatch> match = store_.MatchOf(listKey_);
    if (!match)
        return QStringLiteral("No guide channel matches this channel.");
    if (match->guideChannelId.empty())
        return QStringLiteral("No guide for this channel (chosen by hand).");
    const std::optional<GuideChannel> channel = store_.FindChannel(match->guideChannelId);
    const QString name = channel ? ChannelText(*channel) : QString::fromStdString(match->guideChannelId);
    return QStringLiteral("Shows %1, %2.").arg(name, KindText(match->kind));
}

void GuideChannelDialog::ShowCurrent()
{
    current_->setText(CurrentMatchText());
    const std::optional<GuideMatch> match = store_.MatchOf(listKey_);
    automatic_->setEnabled(match && match->kind == GuideMatchKind::Hand);
}

void GuideChannelDialog::Search()
{
    candidates_ = store_.FindChannels(search_->text().simplified().toStdString(), kMostCandidates);
    found_->clear();
    for (const GuideChannel& channel : candidates_)
        found_->addItem(ChannelText(channel));
    if (!candidates_.empty())
        found_->setCurrentRow(0);
    use_->setEnabled(!candidates_.empty());
}

void GuideChannelDialog::UseSelected()
{
    const int row = found_->currentRow();
    if (row < 0 || row >= static_cast<int>(candidates_.size()))
        return;
    store_.ChooseMatch(listKey_, candidates_[static_cast<std::size_t>(row)].id);
    accept();
}

void GuideChannelDialog::ChooseNone()
{
    // An empty id (not a null one) is the store's "no guide".
    store_.ChooseMatch(listKey_, std::string_view(""));
    accept();
}

void GuideChannelDialog::UseAutomatic()
{
    store_.ClearChoice(listKey_);
    accept();
}

bool GuideChannelDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            // The arrows move through the channels found while the typing stays in the field.
            QCoreApplication::sendEvent(found_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zentavo
