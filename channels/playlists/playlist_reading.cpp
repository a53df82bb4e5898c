#include "playlist_reading.h"

#include "channels/import/address_check.h"
#include "channels/import/text_util.h"

#include <array>
#include <filesystem>

namespace zentavo {

PlaylistReading ReadPlaylist(std::string_view bytes, std::string_view source, std::optional<ChannelType> type)
{
    ImportOptions options;
    options.type = type;
    PlaylistImport import(std::move(options));
    import.AddPlaylist(bytes, source);
    return PlaylistReading{import.TakeChannels(), import.Summary(), import.GuideAddresses()};
}

std::string SummaryInWords(std::string_view name, const ImportSummary& summary)
{
    const auto channels = [](long count) {
        return count == 1 ? std::string("1 channel") : std::to_string(count) + " channels";
    };
    std::string text = "Imported " + channels(summary.imported) + " from \u201C" + std::string(name) + "\u201D.";
    // Which tab they went to, in the tabs' order: "TV Stations: 2, Radio Stations: 10."
    std::string tabs;
    const std::array<std::pair<ChannelType, const char*>, 3> tabNames{
        {{ChannelType::Tv, "TV Stations"}, {ChannelType::Radio, "Radio Stations"}, {ChannelType::Webcam, "Webcams"}}};
    for (const auto& [type, tab] : tabNames) {
        const long count = summary.byType[static_cast<size_t>(type)];
        if (count > 0)
            tabs += (tabs.empty() ? "" : ", ") + std::string(tab) + ": " + std::to_string(count);
    }
    if (!tabs.empty())
        text += "\n" + tabs + ".";
    if (summary.LeftOutTotal() == 0)
        return text;
    text +=
        "\nLeft out " + std::to_string(summary.LeftOutTotal()) + " of " + std::to_string(summary.read) + " entries:";
    for (int i = 0; i < kLeftOutReasonCount; ++i) {
        const long count = summary.leftOut[static_cast<size_t>(i)];
        if (count > 0)
            text +=
                "\n  " + std::string(LeftOutReasonText(static_cast<LeftOutReason>(i))) + ": " + std::to_string(count);
    }
    return text;
}

bool IsAddressSource(std::string_view source)
{
    return StartsWithNoCase(source, "http://") || StartsWithNoCase(source, "https://");
}

std::string DefaultPlaylistName(std::string_view source)
{
    if (IsAddressSource(source)) {
        const size_t start = source.find("://") + 3;
        const size_t end = FindHostEnd(source, start);
        return std::string(source.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    }
    const std::string stem = std::filesystem::path(std::string(source)).stem().string();
    return stem.empty() ? std::string(source) : stem;
}

} // namespace zentavo
