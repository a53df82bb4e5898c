#include "add_playlist_dialog.h"

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
    layout->addWidget(new QLabel(
        QStringLiteral("A playlist file (M3U, M3U8, PLS, XSPF, ASX or TSV), or the http(s) address of one:"), this));
    auto* sourceRow = new QHBoxLayout;
    source_ = new QLineEdit(this);
    source_->setObjectName(QStringLiteral("SourceEdit"));
    source_->setMinimumWidth(320);
    sourceRow->addWidget(source_);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    browse->setAutoDefault(false);
    sourceRow->addWidget(browse);
    layout->addLayout(sourceRow);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("NameEdit"));
    name_->setPlaceholderText(QStringLiteral("the file's name or the address's host"));
    form->addRow(QStringLiteral("Name:"), name_);
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

QString AddPlaylistDialog::Source() const { return source_->text().trimmed(); }
QString AddPlaylistDialog::Name() const { return name_->text().simplified(); }

void AddPlaylistDialog::Browse()
{
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Add playlist"), QString(),
        QStringLiteral("Playlists (*.m3u *.m3u8 *.pls *.xspf *.asx *.tsv *.txt);;All files (*)"));
    if (!file.isEmpty())
        source_->setText(file);
}

void AddPlaylistDialog::UpdateOk() { ok_->setEnabled(!Source().isEmpty()); }

} // namespace zentavo
