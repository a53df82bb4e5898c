#pragma once
// The one place where errors that escape a handler or an asynchronous callback are shown:
// a message box with the error icon, titled "Zentavo Player", the message with a full stop added.

#include <QString>
#include <exception>
#include <functional>

namespace zentavo {

// The message as the error box shows it: a full stop is added when the text lacks one.
QString ErrorBoxText(const QString& message);

class ErrorReporter {
public:
    // Receives the box text (already ending in a full stop).
    using Sink = std::function<void(const QString& text)>;

    // Without a sink, errors are shown in a message box.
    explicit ErrorReporter(Sink sink = {});

    void Report(const QString& message) const;
    void Report(const std::exception& error) const;
    // Runs the step and reports what it throws; for callbacks that no event loop frame surrounds.
    void Guard(const std::function<void()>& step) const;

private:
    Sink sink_;
};

} // namespace zentavo
