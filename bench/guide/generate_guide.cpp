// Writes a generated XMLTV guide for the benchmarks: CHANNELS channels "ch<N>.bench" (display name
// "Bench Channel <N>"), one-hour programmes from yesterday 0:00 UTC for DAYS days, each with a
// title, a sub-title, a category and a description long enough that the file comes to about
// MEGABYTES megabytes. Written as a stream, so any size fits in little memory.
// usage: zentavo-bench-guide-generate CHANNELS DAYS MEGABYTES OUT.xml
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

std::string XmltvTime(std::time_t utc)
{
    std::tm parts{};
    gmtime_r(&utc, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S +0000", &parts);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s CHANNELS DAYS MEGABYTES OUT.xml\n", argv[0]);
        return 2;
    }
    const long channels = std::atol(argv[1]);
    const long days = std::atol(argv[2]);
    const double megabytes = std::atof(argv[3]);
    std::FILE* out = std::fopen(argv[4], "wb");
    if (!out || channels <= 0 || days <= 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[4]);
        return 1;
    }
    std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
    const std::time_t now = std::time(nullptr);
    const std::time_t first = now - now % 86400 - 86400;
    const long programmes = channels * days * 24;
    // What a programme takes without its description, measured on one.
    const std::string sample =
        "<programme start=\"20261211120000 +0000\" stop=\"20261211130000 +0000\" "
        "channel=\"ch12345.bench\">\n  <title lang=\"en\">Programme 123 of channel 12345</title>\n"
        "  <sub-title>Part 12</sub-title>\n  <desc lang=\"en\"></desc>\n"
        "  <category>Bench</category>\n</programme>\n";
    const double target = megabytes * 1024 * 1024;
    const long descriptionLength =
        std::max(0L, static_cast<long>(target / programmes) - static_cast<long>(sample.size()));
    const std::string words = "The quick brown fox jumps over the lazy dog while the guide keeps counting hours. ";
    std::string description;
    while (static_cast<long>(description.size()) < descriptionLength)
        description += words;
    description.resize(static_cast<size_t>(descriptionLength));

    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
               "<tv generator-info-name=\"zentavo-bench-guide-generate\">\n",
               out);
    for (long c = 0; c < channels; ++c)
        std::fprintf(
            out, "<channel id=\"ch%ld.bench\">\n  <display-name>Bench Channel %ld</display-name>\n</channel>\n", c, c);
    for (long c = 0; c < channels; ++c) {
        for (long h = 0; h < days * 24; ++h) {
            const std::time_t start = first + h * 3600;
            std::fprintf(
                out,
                "<programme start=\"%s\" stop=\"%s\" channel=\"ch%ld.bench\">\n  <title lang=\"en\">Programme "
                "%ld of channel %ld</title>\n  <sub-title>Part %ld</sub-title>\n  <desc lang=\"en\">%s</desc>\n"
                "  <category>Bench</category>\n</programme>\n",
                XmltvTime(start).c_str(), XmltvTime(start + 3600).c_str(), c, h, c, h % 24, description.c_str());
        }
    }
    std::fputs("</tv>\n", out);
    return std::fclose(out) == 0 ? 0 : 1;
}
