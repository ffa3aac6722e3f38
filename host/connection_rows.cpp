#include "host/connection_rows.h"

#include <array>
#include <cstdio>

#include "host/qqwry.h"
#include "os/process.h"

namespace qx::host {
namespace {

std::u16string Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// "%s:%d" of an address and a port.
std::string Endpoint(std::uint32_t address, std::uint16_t port) {
    char dotted[16];
    net::FormatAddress(address, dotted);
    return std::string(dotted) + ":" + std::to_string(port);
}

}  // namespace

std::u16string_view TcpStateName(std::uint32_t state) {
    static constexpr std::array<std::u16string_view, 13> kNames = {
        u"???",         u"CLOSED",    u"LISTENING",  u"SYN_SENT",   u"SYN_RCVD",
        u"ESTABLISHED", u"FIN_WAIT1", u"FIN_WAIT2",  u"CLOSE_WAIT", u"CLOSING",
        u"LAST_ACK",    u"TIME_WAIT", u"DELETE_TCB",
    };
    return state < kNames.size() ? kNames[state] : kNames[0];
}

std::u16string ProcessPath(std::uint32_t processId) {
    std::u16string path;
    return os::ProcessImagePath(processId, path) && !path.empty() ? path : u"NT OS Kernel";
}

std::vector<ConnectionRow> FormatConnectionRows(const std::vector<net::UdpRow>& udp,
                                                const std::vector<net::TcpRow>& tcp,
                                                const CQQwry& locations,
                                                const ProcessPathFunction& processPath) {
    std::vector<ConnectionRow> rows;
    rows.reserve(udp.size() + tcp.size());
    for (const net::UdpRow& u : udp) {
        rows.push_back({u"UDP", Widen(Endpoint(u.localAddress, u.localPort)), u"*.*.*.*:*", u"*",
                        Widen(std::to_string(u.processId)), processPath(u.processId)});
    }
    for (const net::TcpRow& t : tcp) {
        // A listening socket's remote port field carries nothing meaningful.
        const std::uint16_t remotePort = t.state == net::kTcpListen ? 0 : t.remotePort;
        std::u16string remote = Widen(Endpoint(t.remoteAddress, remotePort));
        if (t.remoteAddress != 0) {
            char dotted[16];
            net::FormatAddress(t.remoteAddress, dotted);
            remote += u"[ " + locations.Lookup(dotted) + u" ]";
        }
        rows.push_back({u"TCP", Widen(Endpoint(t.localAddress, t.localPort)), std::move(remote),
                        std::u16string(TcpStateName(t.state)), Widen(std::to_string(t.processId)),
                        processPath(t.processId)});
    }
    return rows;
}

}  // namespace qx::host
