#include "add_playlist_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zentavo {

AddPlaylistDialog::AddPlaylistDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AddPlaylistDialog"));
    setWindowTitle(QStringLiteral("Add playlist"));
    auto* layout = new QVBoxLayout(this);
    auto* sourceLabel = new QLabel(
        QStringLiteral("&A playlist file (M3U, M3U8, PLS, XSPF, ASX or TSV), or the http(s) address of one:"), this);
    layout->addWidget(sourceLabel);
    auto* sourceRow = new QHBoxLayout;
    source_ = new QLineEdit(this);
    source_->setObjectName(QStringLiteral("SourceEdit"));
    source_->setAccessibleName(QStringLiteral("Playlist file or address"));
    sourceLabel->setBuddy(source_);
    source_->setMinimumWidth(320);
    sourceRow->addWidget(source_);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    browse->setAutoDefault(false);
    sourceRow->addWidget(browse);
    layout->addLayout(sourceRow);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("NameEdit"));
    name_->setPlaceholderText(QStringLiteral("the file's name or the address's host"));
    form->addRow(QStringLiteral("&Name:"), name_);
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("TypeCombo"));
    type_->addItem(QStringLiteral("As the playlist says"), -1);
    type_->addItem(QStringLiteral("TV Stations"), static_cast<int>(ChannelType::Tv));
    type_->addItem(QStringLiteral("Radio Stations"), static_cast<int>(ChannelType::Radio));
    type_->addItem(QStringLiteral("Webcams"), static_cast<int>(ChannelType::Webcam));
    form->addRow(QStringLiteral("Channels &go to:"), type_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("Add"));
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &AddPlaylistDialog::Browse);
    connect(source_, &QLineEdit::textChanged, this, &AddPlaylistDialog::UpdateOk);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateOk();
}

QString AddPlaylistDialog::Source() const
{
    return source_->text().trimmed();
}
QString AddPlaylistDialog::Name() const
{
    return name_->text().simplified();
}

std::optional<ChannelType> AddPlaylistDialog::Type() const
{
    const int type = type_->currentData().toInt();
    if (type < 0)
        return std::nullopt;
    return static_cast<ChannelType>(type);
}

void AddPlaylistDialog::Browse()
{
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Add playlist"), QString(),
        QStringLiteral("Playlists (*.m3u *.m3u8 *.pls *.xspf *.asx *.tsv *.txt);;All files (*)"));
    if (!file.isEmpty())
        source_->setText(file);
}

void AddPlaylistDialog::UpdateOk()
{
    ok_->setEnabled(!Source().isEmpty());
}

} // namespace zentavo
