#pragma once
// Driving a web page from a test: run JavaScript and wait for its answer, wait for a condition, load a
// page, and watch the page's media elements. Every wait has a limit, so a fault fails instead of hanging.

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWebEngineScript>

class QWebEnginePage;

namespace zentavo::test {

// Runs the script in the page's main world and returns its result; throws std::runtime_error when no
// answer comes within timeoutMs.
QVariant RunJavaScript(QWebEnginePage& page, const QString& script, int timeoutMs = 10000);

// Evaluates the expression every 100 ms until it is truthy; returns false when timeoutMs passes first.
bool WaitForJavaScript(QWebEnginePage& page, const QString& expression, int timeoutMs);

// Loads the address and waits for the load to finish; returns the load's success (false on timeout).
bool LoadPage(QWebEnginePage& page, const QUrl& url, int timeoutMs = 20000);

// The texts of a player page's status bar and message line, as a person reads them, joined by " | ".
QString PlayerPageTexts(QWebEnginePage& page);

// A script to add to a test's profile (main world, at document creation): it records in
// window.zentavoMediaWatch the time (ms since the epoch) at which a media element of the page first
// reported `playing` (firstPlaying, 0 until then) and keeps a handle on that element (media).
QWebEngineScript MediaWatchScript();

// With MediaWatchScript installed: waits until a media element reports `playing` and its current time
// then advances by at least advanceSeconds. Returns an empty string on success, else what was seen.
QString WaitUntilPlaying(QWebEnginePage& page, int timeoutMs, double advanceSeconds = 1.0);

} // namespace zentavo::test
