#pragma once
// The splash window, shown while the program starts and as the About box: a borderless window
// with the program's picture and three labels. A click on the picture closes it; clicks on the
// labels do nothing.

#include <QDialog>
#include <memory>

namespace Ui {
class TSplashForm;
}

namespace zentavo {

class TSplashForm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);
    ~TSplashForm() override;

    // Label3: "Initializing files ..." at start-up, "About ..." in the About box.
    void SetStatusText(const QString& text);

public slots:
    void Image1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Only a click on the picture closes the window: Esc does not.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FitLabels();

    std::unique_ptr<Ui::TSplashForm> ui;
    bool image1Pressed_ = false;
};

} // namespace zentavo
