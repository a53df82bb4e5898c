#pragma once
// Application-wide filter: right-button presses and double clicks never reach any window of the
// program (the web view's render widget included); every other event, the release among them, passes.

#include <QObject>

namespace zentavo {

class RightButtonFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // ApplicationEvents1Message: true for the events that are dropped.
    static bool IsDropped(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zentavo
