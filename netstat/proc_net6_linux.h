// The kernel's IPv6 socket tables (/proc/net/tcp6, /proc/net/udp6). The
// connection tables of GetNetStat stay IPv4 as their layout says; these rows
// are for listings that show both.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qx::net {

struct Ipv6Row {
    std::array<std::uint8_t, 16> localAddress{};  // network order
    std::uint16_t localPort = 0;
    std::array<std::uint8_t, 16> remoteAddress{};
    std::uint16_t remotePort = 0;
    std::uint32_t state = 0;  // MIB state number (TCP only)
    std::uint32_t processId = 0;
};

// One row per data line of a /proc/net/{tcp6,udp6} text, owners not yet known
// (their inodes are kept in `inodes`, in row order).
std::vector<Ipv6Row> ParseProcNet6Table(std::string_view text, std::vector<std::uint64_t>& inodes);

// The machine's IPv6 TCP or UDP sockets with their owning processes, sorted by
// local address and port, then remote address and port; empty where the
// kernel has no IPv6.
std::vector<Ipv6Row> ReadIpv6Sockets(bool tcp, const char* procRoot = "/proc");

}  // namespace qx::net
