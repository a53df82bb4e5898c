#pragma once
// The preferences dialog (Options > Preferences...): check boxes for the start-up option and for
// playing the last channel at start-up. It shows the options' state when it opens; OK stores the box's state through the main window, Cancel
// and the window frame store nothing.

#include <QDialog>
#include <memory>

namespace Ui {
class TPreferenceForm;
}

namespace zentavo {

class TMainForm;

class TPreferenceForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreferenceForm(TMainForm& mainForm, QWidget* parent = nullptr);
    ~TPreferenceForm() override;

public slots:
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    // Neither button is the default or the cancel button: Enter and Esc press nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TPreferenceForm> ui;
    TMainForm& mainForm_;
};

} // namespace zentavo
