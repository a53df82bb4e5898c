#pragma once
// The player filling the screen: the window goes full screen with its menu and bars hidden, and
// comes back as it was (normal or maximised, the same bars shown).

#include <QList>

class QWidget;

namespace zentavo {

class FullScreenMode {
public:
    FullScreenMode(QWidget& window, QList<QWidget*> hiddenWhileOn);

    bool IsOn() const { return on_; }
    void Enter();
    void Leave();

private:
    QWidget& window_;
    QList<QWidget*> hiddenWhileOn_;
    QList<bool> wereHidden_;
    bool on_ = false;
    bool wasMaximized_ = false;
};

} // namespace zentavo
