#pragma once
// The main window: the browser area, the player toolbar, the snapshot bar and the menus.

#include <QMainWindow>
#include <memory>

namespace Ui { class TMainForm; }

namespace zentavo {

struct AppContext;
class TListForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(AppContext& context, QWidget* parent = nullptr);
    ~TMainForm() override;

private:
    std::unique_ptr<Ui::TMainForm> ui;
    AppContext& context_;
};

} // namespace zentavo
