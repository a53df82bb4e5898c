#pragma once
// Application-wide filter: right-button presses and double clicks never reach any window of the
// program (the web view's render widget included); every other event, the release among them, passes.
//
// The press is let through to the top-level window object that dispatches it to a widget, and is
// dropped there, before any widget sees it: Qt sends a release only to the widget that took the
// press, so a press dropped any earlier would take the release (and the popup menus that open on
// it) away too. The context menu request that the press itself makes on this platform is dropped
// as well; popup menus open on the release, or from the Menu key.

#include <QObject>

namespace zentavo {

class RightButtonFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // ApplicationEvents1Message: true for the events that are dropped on their way to `receiver`.
    static bool IsDropped(const QObject* receiver, const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zentavo
