#pragma once
// The host's way into the loaded player page: an element found by name through the document's
// collection of all elements is clicked, or has its value written. The calls are asynchronous
// (the page runs in another process); the next step runs in the callback, and an element that the
// page does not hold is reported as an error, after which the next step does not run.

#include <QObject>
#include <QString>
#include <functional>

class QWebEnginePage;

namespace zentavo {

class ErrorReporter;

class PageBridge : public QObject {
    Q_OBJECT
public:
    using Next = std::function<void()>;

    PageBridge(QWebEnginePage& page, const ErrorReporter& errors);
    ~PageBridge() override;

    // `missing` runs after the error report when the page holds no such element.
    void ClickPageButton(const QString& name, Next next = {}, Next missing = {});
    void SetPageElementValue(const QString& name, const QString& value, Next next = {});

    // The message reported when the page holds no element of that name (or holds no document yet).
    static QString MissingElementMessage(const QString& name);

private:
    void Run(const QString& name, const QString& action, Next next, Next missing);

    QWebEnginePage& page_;
    const ErrorReporter& errors_;
};

} // namespace zentavo
