// The catalogue commands of zentavo-catalog: classify, protect, unprotect, annotate, encipher, list.
#include "commands.h"

#include "channel_listing.h"
#include "command_line.h"

#include "channels/catalogue.h"
#include "channels/media_kind.h"
#include "channels/preparation.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace zentavo::tool {

namespace {

constexpr const char* kProgram = "zentavo-catalog: ";

int ReportUsage(const std::string& command, const std::string& message, const char* usage)
{
    std::cerr << kProgram << command << ": " << message << "\nusage: zentavo-catalog " << usage << '\n';
    return kExitUsage;
}

int ReportError(const std::string& message)
{
    std::cerr << kProgram << message << '\n';
    return kExitBadData;
}

int ReportListFileError(const ListFileError& error)
{
    std::cerr << kProgram << error.what() << '\n' << kProgram << error.detail() << '\n';
    return kExitBadData;
}

// Standard output that could not be written (a full disk, a closed pipe) is a failure.
int FinishOutput()
{
    std::cout.flush();
    if (!std::cout)
        return ReportError("cannot write the output");
    return kExitOk;
}

KeySize ParseKeySize(const std::string& text)
{
    if (text == "128")
        return KeySize::Key128;
    if (text == "192")
        return KeySize::Key192;
    if (text == "256")
        return KeySize::Key256;
    throw UsageError("--size must be 128, 192 or 256, not '" + text + "'");
}

struct CipherArgs {
    std::string keyText;
    KeySize size = KeySize::Key256;
    bool raw = false;
    std::string text;
};

// [--key TEXT] [--size 128|192|256] [--raw] TEXT; without --key the key is the stream passphrase.
CipherArgs ParseCipherArgs(const Args& args, bool allowRaw)
{
    const ParsedArgs parsed =
        allowRaw ? ParseArgs(args, {"--key", "--size"}, {"--raw"}) : ParseArgs(args, {"--key", "--size"}, {});
    if (parsed.positional.size() != 1)
        throw UsageError(parsed.positional.empty() ? "missing text" : "too many arguments");
    CipherArgs cipher;
    const auto key = parsed.values.find("--key");
    cipher.keyText = key != parsed.values.end() ? key->second : BuildStreamPassphrase();
    if (const auto size = parsed.values.find("--size"); size != parsed.values.end())
        cipher.size = ParseKeySize(size->second);
    cipher.raw = parsed.flags.contains("--raw");
    cipher.text = parsed.positional.front();
    return cipher;
}

// IN -o OUT, in either order.
std::pair<std::string, std::string> ParseInOut(const Args& args)
{
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output"}, {});
    if (parsed.positional.size() != 1)
        throw UsageError(parsed.positional.empty() ? "missing input catalogue" : "too many arguments");
    const auto shortOut = parsed.values.find("-o");
    const auto longOut = parsed.values.find("--output");
    if (shortOut != parsed.values.end() && longOut != parsed.values.end())
        throw UsageError("output given twice");
    if (shortOut == parsed.values.end() && longOut == parsed.values.end())
        throw UsageError("missing -o OUT");
    const std::string& out = shortOut != parsed.values.end() ? shortOut->second : longOut->second;
    if (out.empty() || parsed.positional.front().empty())
        throw UsageError("empty file name");
    return {parsed.positional.front(), out};
}

template <typename Prepare>
int RunPreparation(const std::string& command, const Args& args, const char* usage, Prepare prepare)
{
    std::pair<std::string, std::string> files;
    try {
        files = ParseInOut(args);
    } catch (const UsageError& error) {
        return ReportUsage(command, error.what(), usage);
    }
    try {
        prepare(files.first, files.second);
    } catch (const ListFileError& error) {
        return ReportListFileError(error);
    } catch (const std::runtime_error& error) {
        return ReportError(error.what());
    }
    return kExitOk;
}

} // namespace

int RunClassify(const Args& args)
{
    constexpr const char* kUsage = "classify ADDRESS...";
    if (args.empty())
        return ReportUsage("classify", "missing address", kUsage);
    std::string out;
    for (const std::string& address : args) {
        out += static_cast<char>('0' + static_cast<int>(ClassifyMediaKind(address)));
        out += '\n';
    }
    std::cout << out;
    return FinishOutput();
}

int RunProtect(const Args& args)
{
    constexpr const char* kUsage = "protect [--key TEXT] [--size 128|192|256] PLAIN";
    CipherArgs cipher;
    try {
        cipher = ParseCipherArgs(args, false);
    } catch (const UsageError& error) {
        return ReportUsage("protect", error.what(), kUsage);
    }
    std::cout << EncipherString(cipher.text, cipher.keyText, cipher.size) << '\n';
    return FinishOutput();
}

int RunUnprotect(const Args& args)
{
    constexpr const char* kUsage = "unprotect [--key TEXT] [--size 128|192|256] [--raw] PROTECTED";
    CipherArgs cipher;
    try {
        cipher = ParseCipherArgs(args, true);
    } catch (const UsageError& error) {
        return ReportUsage("unprotect", error.what(), kUsage);
    }
    std::string plain;
    try {
        plain = DecipherString(cipher.text, cipher.keyText, cipher.size);
    } catch (const ConversionError& error) {
        return ReportError(error.what());
    } catch (const StreamReadError& error) {
        return ReportError(error.what());
    } catch (const EAESError& error) {
        return ReportError(error.what());
    }
    if (cipher.raw)
        std::cout.write(plain.data(), static_cast<std::streamsize>(plain.size()));
    else
        std::cout << TrimControlBytes(plain) << '\n';
    return FinishOutput();
}

int RunAnnotate(const Args& args)
{
    return RunPreparation("annotate", args, "annotate IN -o OUT",
                          [](const std::string& in, const std::string& out) { AnnotateMediaKinds(in, out); });
}

int RunEncipher(const Args& args)
{
    return RunPreparation("encipher", args, "encipher IN -o OUT", [](const std::string& in, const std::string& out) {
        EncipherCatalogueAddresses(in, out, BuildStreamPassphrase());
    });
}

int RunList(const Args& args)
{
    constexpr const char* kUsage = "list CATALOGUE";
    ParsedArgs parsed;
    try {
        parsed = ParseArgs(args, {}, {});
        if (parsed.positional.size() != 1)
            throw UsageError(parsed.positional.empty() ? "missing catalogue" : "too many arguments");
    } catch (const UsageError& error) {
        return ReportUsage("list", error.what(), kUsage);
    }
    try {
        const Catalogue catalogue = Catalogue::Load(parsed.positional.front());
        const std::size_t failures = WriteChannelListing(catalogue.Document(), BuildStreamPassphrase(), stdout,
                                                         [](const std::string& id, const std::string& message) {
                                                             std::cerr << kProgram << "channel " << id << ": "
                                                                       << message << '\n';
                                                         });
        return failures == 0 ? kExitOk : kExitBadData;
    } catch (const ListFileError& error) {
        return ReportListFileError(error);
    } catch (const std::runtime_error& error) {
        return ReportError(error.what());
    }
}

} // namespace zentavo::tool
