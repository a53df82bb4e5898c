#include "main_form.h"
#include "ui_main_form.h"

#include "channels/app_context.h"

namespace zentavo {

TMainForm::TMainForm(AppContext& context, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()), context_(context)
{
    ui->setupUi(this);
}

TMainForm::~TMainForm() = default;

} // namespace zentavo
