#pragma once
// "Add playlist": a playlist file (with Browse...) or the http(s) address of one, and the name the
// playlist goes by in the window.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace zentavo {

class AddPlaylistDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddPlaylistDialog(QWidget* parent = nullptr);

    QString Source() const;
    QString Name() const;

private:
    void Browse();
    void UpdateOk();

    QLineEdit* source_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace zentavo
