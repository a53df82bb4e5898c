#include "page_script.h"
#include "waits.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>
#include <optional>
#include <stdexcept>

namespace zentavo::test {

QVariant RunJavaScript(QWebEnginePage& page, const QString& script, int timeoutMs)
{
    timeoutMs = Limit(timeoutMs);
    QEventLoop loop;
    auto answer = std::make_shared<std::optional<QVariant>>();
    QPointer<QEventLoop> waiting(&loop);
    page.runJavaScript(script, [answer, waiting](const QVariant& result) {
        *answer = result;
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!answer->has_value())
        loop.exec();
    if (!answer->has_value())
        throw std::runtime_error("no answer from the page within " + std::to_string(timeoutMs)
                                 + " ms to: " + script.left(200).toStdString());
    return answer->value();
}

bool WaitForJavaScript(QWebEnginePage& page, const QString& expression, int timeoutMs)
{
    const QDeadlineTimer deadline(Limit(timeoutMs));
    const QString script =
        QStringLiteral("(function(){ try { return !!(%1); } catch (e) { return false; } })()").arg(expression);
    while (!deadline.hasExpired()) {
        try {
            if (RunJavaScript(page, script, qMax<qint64>(1000, deadline.remainingTime())).toBool())
                return true;
        } catch (const std::runtime_error&) {
            return false;
        }
        QEventLoop pause;
        QTimer::singleShot(100, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

bool LoadPage(QWebEnginePage& page, const QUrl& url, int timeoutMs)
{
    timeoutMs = Limit(timeoutMs);
    QEventLoop loop;
    bool ok = false;
    bool done = false;
    const auto connection = QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool success) {
        ok = success;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    page.load(url);
    if (!done)
        loop.exec();
    QObject::disconnect(connection);
    return done && ok;
}

QString PlayerPageTexts(QWebEnginePage& page)
{
    return RunJavaScript(page,
                         QStringLiteral("Array.from(document.querySelectorAll('.zentavo-status, .zentavo-message'))"
                                        ".map(function (e) { return e.textContent; }).join(' | ')"))
        .toString();
}

QWebEngineScript MediaWatchScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("zentavo-test-media-watch"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QStringLiteral(R"js(
(function () {
  if (window.zentavoMediaWatch) return;
  var watch = {firstPlaying: 0, firstFrame: 0, media: null, events: []};
  window.zentavoMediaWatch = watch;
  // The moment the first picture is handed to the screen (a video element's frame callback).
  document.addEventListener('loadedmetadata', function (event) {
    var target = event.target;
    if (!(target instanceof HTMLVideoElement) || !target.requestVideoFrameCallback) return;
    target.requestVideoFrameCallback(function (now) {
      if (!watch.firstFrame) watch.firstFrame = performance.timeOrigin + now;
    });
  }, true);
  ['playing', 'error', 'waiting', 'pause'].forEach(function (type) {
    document.addEventListener(type, function (event) {
      var target = event.target;
      if (!(target instanceof HTMLMediaElement)) return;
      watch.media = target;
      watch.events.push(type);
      if (type === 'playing' && !watch.firstPlaying) watch.firstPlaying = performance.timeOrigin + performance.now();
    }, true);
  });
})();
)js"));
    return script;
}

QString WaitUntilPlaying(QWebEnginePage& page, int timeoutMs, double advanceSeconds)
{
    const QDeadlineTimer deadline(Limit(timeoutMs));
    if (!WaitForJavaScript(page, QStringLiteral("window.zentavoMediaWatch && zentavoMediaWatch.firstPlaying > 0"),
                           int(deadline.remainingTime()))) {
        return QStringLiteral("no media element reported playing; seen: ")
            + RunJavaScript(
                  page,
                  QStringLiteral("JSON.stringify({events: window.zentavoMediaWatch && zentavoMediaWatch.events, "
                                 "status: Array.from(document.querySelectorAll('.zentavo-status, .zentavo-message'))"
                                 ".map(function (e) { return e.textContent; })})"))
                  .toString();
    }
    const double start = RunJavaScript(page, QStringLiteral("zentavoMediaWatch.media.currentTime")).toDouble();
    const QString advanced = QStringLiteral("zentavoMediaWatch.media.currentTime >= %1").arg(start + advanceSeconds);
    if (!WaitForJavaScript(page, advanced, int(qMax<qint64>(0, deadline.remainingTime())))) {
        return QStringLiteral("playing, but the time did not advance from %1 to %2")
            .arg(start)
            .arg(RunJavaScript(page, QStringLiteral("zentavoMediaWatch.media.currentTime")).toDouble());
    }
    return {};
}

} // namespace zentavo::test
