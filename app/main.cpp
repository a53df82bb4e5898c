// Zentavo Player: start-up sequence (the main window and its start-up steps come next).
#include "channels/app_context.h"
#include "player/ui/main_form.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Zentavo Player"));
    zentavo::AppContext context;
    zentavo::TMainForm mainForm(context);
    mainForm.show();
    return app.exec();
}
