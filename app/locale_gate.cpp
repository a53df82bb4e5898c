#include "locale_gate.h"

#include "crypto/string_cipher.h"

#include <QLocale>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace zentavo {

namespace {

// The refusal is the failed conversion of a text that is no integer.
[[noreturn]] void Refuse()
{
    const QString text = QStringLiteral("dll.-+|");
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        std::abort(); // unreachable: the text is no integer
    (void)value;
    throw ConversionError("'" + text.toStdString() + "' is not a valid integer value");
}

QString ErrorKind(const std::exception& error)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status), &std::free);
    QString kind = status == 0 && name ? QString::fromLatin1(name.get()) : QString::fromLatin1(typeid(error).name());
    const qsizetype scope = kind.lastIndexOf(QLatin1String("::"));
    return scope >= 0 ? kind.mid(scope + 2) : kind;
}

} // namespace

QString UserLanguageName()
{
    return QLocale::languageToString(QLocale::system().language()).toUpper();
}

bool RunLocaleGate(const std::string& protectedName, const QString& languageName)
{
    const std::string blocked = TrimControlBytes(DecipherString(protectedName, kBlockedLanguageKey, KeySize::Key128));
    if (languageName.toStdString() == blocked)
        Refuse();
    return true;
}

QString StartupFailureText(const std::exception& error, const QString& moduleName)
{
    QString message = QString::fromUtf8(error.what());
    if (!message.endsWith(QLatin1Char('.')))
        message += QLatin1Char('.');
    const auto address = reinterpret_cast<quintptr>(&RunLocaleGate);
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4")
        .arg(ErrorKind(error), moduleName,
             QStringLiteral("%1").arg(address, int(sizeof(void*) * 2), 16, QLatin1Char('0')).toUpper(), message);
}

} // namespace zentavo
