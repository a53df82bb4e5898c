#pragma once
// "Add playlist": a playlist file (with Browse...) or the http(s) address of one, and the name the
// playlist goes by in the window.

#include "channels/import/playlist_entry.h"

#include <QDialog>
#include <QString>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zentavo {

class AddPlaylistDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddPlaylistDialog(QWidget* parent = nullptr);

    QString Source() const;
    QString Name() const;
    // The list every channel goes to; nothing: as the playlist says.
    std::optional<ChannelType> Type() const;

private:
    void Browse();
    void UpdateOk();

    QLineEdit* source_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* type_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace zentavo
