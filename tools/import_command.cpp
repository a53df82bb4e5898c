// zentavo-catalog import: playlists to a prepared catalogue.
#include "commands.h"

#include "channels/import/file_bytes.h"
#include "channels/import/playlist_import.h"
#include "channels/import/prepared_catalogue.h"
#include "channels/import/text_decoding.h"
#include "crypto/stream_passphrase.h"

#include <exception>
#include <iostream>

namespace zentavo::tool {
namespace {

constexpr const char* kImportUsage =
    "usage: zentavo-catalog import [--type tv|radio|webcam] [--country NAME] FILE... -o OUT\n";

int Usage(const std::string& problem)
{
    std::cerr << "zentavo-catalog import: " << problem << "\n" << kImportUsage;
    return kExitUsage;
}

} // namespace

int RunImport(const Args& args)
{
    ImportOptions options;
    std::vector<std::string> inputs;
    std::string output;
    bool typeGiven = false, countryGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--type") {
            if (!hasValue || typeGiven)
                return Usage(hasValue ? "--type given twice" : "--type needs a value");
            options.type = ChannelTypeFromWord(args[++i]);
            if (!options.type)
                return Usage("--type must be tv, radio or webcam, not '" + args[i] + "'");
            typeGiven = true;
        } else if (arg == "--country") {
            if (!hasValue || countryGiven)
                return Usage(hasValue ? "--country given twice" : "--country needs a value");
            options.country = args[++i];
            if (options.country.empty())
                return Usage("--country needs a value");
            if (!IsValidUtf8(options.country))
                return Usage("--country must be UTF-8 text");
            countryGiven = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!hasValue || !output.empty())
                return Usage(hasValue ? "-o given twice" : "-o needs a file name");
            output = args[++i];
        } else if (arg.size() > 1 && arg.front() == '-' && arg != "--") {
            return Usage("unknown option '" + arg + "'");
        } else if (arg != "--") {
            inputs.push_back(arg);
        }
    }
    if (inputs.empty())
        return Usage("no playlist given");
    if (output.empty())
        return Usage("no output file given (-o OUT)");

    PlaylistImport import(options);
    for (const std::string& input : inputs) {
        try {
            import.AddPlaylist(ReadFileBytes(input, kMaxPlaylistBytes), input);
        } catch (const std::exception& error) {
            std::cerr << "zentavo-catalog import: " << input << ": " << error.what() << "\n";
            return kExitBadData;
        }
    }
    std::string notes;
    for (const LeftOutEntry& entry : import.LeftOut())
        notes += DescribeLeftOut(entry) + "\n";
    std::cerr << notes;
    std::cout << DescribeSummary(import.Summary());
    std::cout.flush();
    if (import.Channels().empty()) {
        std::cerr << "zentavo-catalog import: no channel to import; " << output << " not written\n";
        return kExitBadData;
    }
    try {
        SavePreparedCatalogue(import.Channels(), BuildStreamPassphrase(), output);
    } catch (const std::exception& error) {
        std::cerr << "zentavo-catalog import: cannot write " << output << ": " << error.what() << "\n";
        return kExitBadData;
    }
    return kExitOk;
}

} // namespace zentavo::tool
