#include "preference_form.h"
#include "ui_preference_form.h"

#include "player/ui/main_form.h"

#include <QKeyEvent>

namespace zentavo {

TPreferenceForm::TPreferenceForm(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TPreferenceForm>()), mainForm_(mainForm)
{
    ui->setupUi(this);
    setFixedSize(503, 263);
    for (QPushButton* button : {ui->Button1, ui->Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(ui->Button1, &QPushButton::clicked, this, &TPreferenceForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TPreferenceForm::Button2Click);
}

TPreferenceForm::~TPreferenceForm() = default;

void TPreferenceForm::showEvent(QShowEvent* event)
{
    ui->CheckBox1->setChecked(mainForm_.ShowChannelsAtStartup());
    ui->CheckBox2->setChecked(mainForm_.PlayLastChannelAtStartup());
    QDialog::showEvent(event);
}

void TPreferenceForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TPreferenceForm::Button1Click()
{
    mainForm_.SetShowChannelsAtStartup(ui->CheckBox1->isChecked());
    mainForm_.SaveSettings();
    mainForm_.SetPlayLastChannelAtStartup(ui->CheckBox2->isChecked());
    accept();
}

void TPreferenceForm::Button2Click()
{
    reject();
}

} // namespace zentavo
