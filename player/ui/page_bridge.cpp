#include "page_bridge.h"

#include "error_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace zentavo {

namespace {

// A JavaScript string literal of any text (a JSON array holding it, indexed).
QString ScriptString(const QString& text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)) + QStringLiteral("[0]");
}

} // namespace

PageBridge::PageBridge(QWebEnginePage& page, const ErrorReporter& errors) : page_(page), errors_(errors) {}

PageBridge::~PageBridge() = default;

QString PageBridge::MissingElementMessage(const QString& name)
{
    return QStringLiteral("The player page has no element named \"%1\"").arg(name);
}

void PageBridge::ClickPageButton(const QString& name, Next next, Next missing)
{
    Run(name, QStringLiteral("e.click();"), std::move(next), std::move(missing));
}

void PageBridge::SetPageElementValue(const QString& name, const QString& value, Next next)
{
    Run(name, QStringLiteral("e.value = %1;").arg(ScriptString(value)), std::move(next), {});
}

void PageBridge::Run(const QString& name, const QString& action, Next next, Next missing)
{
    // document.all.item(name) gives a collection when several elements share the name: the first acts.
    // (document.all itself tests false in scripts, so it is called, not tested.)
    const QString script = QStringLiteral("(function () {"
                                          " var e = null;"
                                          " try { e = document.all.item(%1); } catch (x) { e = null; }"
                                          " if (e && !e.tagName && e.length) e = e[0];"
                                          " if (!e) return false;"
                                          " %2 return true; })()")
                               .arg(ScriptString(name), action);
    QPointer<PageBridge> self(this);
    page_.runJavaScript(script, QWebEngineScript::MainWorld, [self, name, next, missing](const QVariant& result) {
        // The page answers with an empty result while it is being destroyed: nothing to report then.
        if (!self)
            return;
        if (result.toBool() != true) {
            self->errors_.Report(MissingElementMessage(name));
            if (missing && self)
                self->errors_.Guard(missing);
            return;
        }
        if (next)
            self->errors_.Guard(next);
    });
}

} // namespace zentavo
