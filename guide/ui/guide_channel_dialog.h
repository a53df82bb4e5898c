#pragma once
// "Guide channel...": the user chooses by hand which channel of the guide a channel of the lists
// shows, or that it shows none, or goes back to the automatic match. A search over the guide's
// channels (id and display names) lists the candidates. The choice is written to the store at once
// and kept across readings of the guide.

#include <QDialog>
#include <string>
#include <vector>

#include "guide/guide_types.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zentavo {

class GuideStore;

class GuideChannelDialog : public QDialog {
    Q_OBJECT
public:
    // For the list channel with that id and caption; the store must outlive the dialog.
    GuideChannelDialog(GuideStore& store, std::string listKey, const QString& caption, QWidget* parent = nullptr);
    ~GuideChannelDialog() override;

    // What the channel shows now, in words: "BBC One (bbcone.uk), chosen by hand", "none".
    QString CurrentMatchText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Search();
    void UseSelected();
    void ChooseNone();
    void UseAutomatic();
    void ShowCurrent();

    GuideStore& store_;
    std::string listKey_;
    QLabel* current_;
    QLineEdit* search_;
    QListWidget* found_;
    QPushButton* use_;
    QPushButton* none_;
    QPushButton* automatic_;
    std::vector<GuideChannel> candidates_;
};

} // namespace zentavo
