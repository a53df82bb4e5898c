#pragma once
// The start-up language check: the program does not run for users whose default locale's language,
// upper-cased, equals the blocked name held as a protected constant.

#include <QString>
#include <string>

namespace zentavo {

// The blocked language name as a protected string, and the key text it is deciphered with (Key128).
inline constexpr const char* kBlockedLanguage = "0500000000000000A8C8E7D87EAD9C0D926247AFBF531325";
inline constexpr const char* kBlockedLanguageKey = "Lx7";

// The English name of the user's default locale's language, upper-cased.
QString UserLanguageName();

// True when start-up may go on. Throws ConversionError when the language is blocked, and the
// cipher's errors for a malformed constant: both end the program through ReportStartupFailure.
bool RunLocaleGate(const std::string& protectedName = kBlockedLanguage,
                   const QString& languageName = UserLanguageName());

// The run-time's line for an error that ended start-up, e.g.
// "Exception ConversionError in module zentavo-player at 000055D1C2A3B4C0.\n'dll.-+|' is not a valid integer value."
QString StartupFailureText(const std::exception& error, const QString& moduleName);

} // namespace zentavo
