#include "host/ipv6_rows.h"

#include <arpa/inet.h>

#include <algorithm>

#include "host/qqwry.h"

namespace qx::host {
namespace {

std::u16string Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string Endpoint(const std::array<std::uint8_t, 16>& address, std::uint16_t port) {
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(AF_INET6, address.data(), text, sizeof text);
    return "[" + std::string(text) + "]:" + std::to_string(port);
}

// The dotted IPv4 address inside ::ffff:a.b.c.d, or empty.
std::string MappedIpv4(const std::array<std::uint8_t, 16>& a) {
    const bool mapped =
        std::all_of(a.begin(), a.begin() + 10, [](std::uint8_t b) { return b == 0; }) &&
        a[10] == 0xFF && a[11] == 0xFF;
    if (!mapped) return {};
    return std::to_string(a[12]) + "." + std::to_string(a[13]) + "." + std::to_string(a[14]) + "." +
           std::to_string(a[15]);
}

}  // namespace

std::vector<ConnectionRow> FormatIpv6Rows(const std::vector<net::Ipv6Row>& rows, bool tcp,
                                          const CQQwry& locations,
                                          const ProcessPathFunction& processPath) {
    std::vector<ConnectionRow> formatted;
    formatted.reserve(rows.size());
    for (const net::Ipv6Row& row : rows) {
        ConnectionRow out;
        out.protocol = tcp ? u"TCP" : u"UDP";
        out.local = Widen(Endpoint(row.localAddress, row.localPort));
        if (!tcp) {
            out.remote = u"*:*";
            out.state = u"*";
        } else {
            const std::uint16_t remotePort = row.state == net::kTcpListen ? 0 : row.remotePort;
            out.remote = Widen(Endpoint(row.remoteAddress, remotePort));
            const std::string ipv4 = MappedIpv4(row.remoteAddress);
            if (!ipv4.empty()) out.remote += u"[ " + locations.Lookup(ipv4) + u" ]";
            out.state = std::u16string(TcpStateName(row.state));
        }
        out.processId = Widen(std::to_string(row.processId));
        out.processPath = processPath(row.processId);
        formatted.push_back(std::move(out));
    }
    return formatted;
}

}  // namespace qx::host
