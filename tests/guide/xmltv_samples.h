#pragma once
// Small XMLTV guides for the tests, written as text, and gzip of any bytes.

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo::test {

// "20261211120000 +0000" for seconds since 1970 (UTC).
inline std::string XmltvTime(std::int64_t utc, std::string_view offset = "+0000")
{
    const std::int64_t days = utc / 86400;
    std::int64_t rest = utc % 86400;
    // Civil date from days since 1970 (Howard Hinnant's algorithm).
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld%02lld%02lld%02lld%02lld%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    std::string result = text;
    if (!offset.empty())
        result += " " + std::string(offset);
    return result;
}

struct SampleProgramme {
    std::string channel;
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::string title;
};

inline std::string Channel(std::string_view id, std::initializer_list<std::string_view> names)
{
    std::string xml = "<channel id=\"" + std::string(id) + "\">";
    for (const std::string_view name : names)
        xml += "<display-name>" + std::string(name) + "</display-name>";
    return xml + "</channel>\n";
}

inline std::string Programme(const SampleProgramme& p)
{
    return "<programme start=\"" + XmltvTime(p.start) + "\" stop=\"" + XmltvTime(p.stop) + "\" channel=\"" + p.channel
        + "\"><title lang=\"en\">" + p.title + "</title></programme>\n";
}

inline std::string Guide(std::string_view body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv generator-info-name=\"test\">\n" + std::string(body)
        + "</tv>\n";
}

inline std::string Gzip(std::string_view bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.resize(stream.total_out);
    return out;
}

} // namespace zentavo::test
