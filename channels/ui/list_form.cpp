#include "list_form.h"
#include "ui_list_form.h"

#include "channels/app_context.h"

namespace zentavo {

TListForm::TListForm(AppContext& context, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TListForm>()), context_(context)
{
    ui->setupUi(this);
}

TListForm::~TListForm() = default;

void TListForm::LoadChannelLists() {}
void TListForm::LoadFavourites() {}
void TListForm::ShowOnTab(int) { exec(); }
bool TListForm::OriginalSizeChosen() const { return true; }
void TListForm::EditFavourites(const QString&) {}

} // namespace zentavo
