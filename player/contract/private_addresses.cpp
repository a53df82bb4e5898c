#include "private_addresses.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <string>

namespace zentavo {

namespace {

struct Ipv4Range {
    std::uint32_t network;
    int prefix;
};

// Not publicly routable: "this network", private, shared (carrier NAT), loopback, link-local,
// protocol assignments, benchmarking, multicast, reserved and broadcast.
constexpr std::array<Ipv4Range, 10> kNonPublicIpv4 = {{
    {0x00000000, 8},
    {0x0A000000, 8},
    {0x64400000, 10},
    {0x7F000000, 8},
    {0xA9FE0000, 16},
    {0xAC100000, 12},
    {0xC0000000, 24},
    {0xC0A80000, 16},
    {0xC6120000, 15},
    {0xE0000000, 3}, // 224/4 multicast and 240/4 reserved, the broadcast address with them
}};

bool IsNonPublicIpv4(std::uint32_t address)
{
    for (const Ipv4Range& range : kNonPublicIpv4) {
        const std::uint32_t mask = range.prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - range.prefix);
        if ((address & mask) == range.network)
            return true;
    }
    return false;
}

bool IsNonPublicIpv6(const in6_addr& address)
{
    const unsigned char* b = address.s6_addr;
    bool leadingZeros = true; // the first 80 bits
    for (int i = 0; i < 10; ++i)
        leadingZeros = leadingZeros && b[i] == 0;
    const auto lastFour = [b] {
        return std::uint32_t(b[12]) << 24 | std::uint32_t(b[13]) << 16 | std::uint32_t(b[14]) << 8 | b[15];
    };
    if (leadingZeros && b[10] == 0xFF && b[11] == 0xFF) // IPv4-mapped
        return IsNonPublicIpv4(lastFour());
    if (leadingZeros && b[10] == 0 && b[11] == 0) // ::, ::1 and the old IPv4-compatible form
        return lastFour() <= 1 || IsNonPublicIpv4(lastFour());
    return (b[0] & 0xFE) == 0xFC // unique local fc00::/7
        || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80) // link-local fe80::/10
        || (b[0] == 0xFE && (b[1] & 0xC0) == 0xC0) // site-local fec0::/10
        || b[0] == 0xFF; // multicast
}

} // namespace

bool IsPrivateHost(std::string_view host)
{
    std::string name(host);
    for (char& c : name)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    if (name.empty())
        return false;
    if (name == "localhost" || (name.size() > 10 && name.ends_with(".localhost")))
        return true;
    in6_addr ipv6{};
    if (inet_pton(AF_INET6, name.c_str(), &ipv6) == 1)
        return IsNonPublicIpv6(ipv6);
    in_addr ipv4{};
    // inet_aton reads every form that the resolver takes for an IPv4 address (127.1, 0x7f.1, 2130706433).
    if (inet_aton(name.c_str(), &ipv4) != 0)
        return IsNonPublicIpv4(ntohl(ipv4.s_addr));
    return false;
}

bool IsPrivateAddress(const QUrl& address)
{
    const QString host = address.host(QUrl::FullyEncoded);
    // A udp or rtp address without a host ("udp://@:1234") receives on every address of this machine.
    const QString scheme = address.scheme().toLower();
    if (host.isEmpty() && (scheme == QLatin1String("udp") || scheme == QLatin1String("rtp")))
        return true;
    return IsPrivateHost(host.toStdString());
}

bool MayReach(bool channelIsLocal, const QUrl& target)
{
    return channelIsLocal || !IsPrivateAddress(target);
}

} // namespace zentavo
