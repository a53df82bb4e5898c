#pragma once
// Answers the next visible top-level window with that object name once, whenever it shows up (a
// modal dialog runs its own event loop, so the answer comes from a timer).

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zentavo::test {

class Answer : public QObject {
public:
    Answer(QString objectName, std::function<void(QWidget*)> act) : name_(std::move(objectName)), act_(std::move(act))
    {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() == name_ && widget->isVisible()) {
                    timer_.stop();
                    answered_ = true;
                    act_(widget);
                    return;
                }
            }
        });
        timer_.start();
    }
    bool Answered() const { return answered_; }

private:
    QString name_;
    std::function<void(QWidget*)> act_;
    QTimer timer_;
    bool answered_ = false;
};

} // namespace zentavo::test
