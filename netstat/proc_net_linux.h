// The kernel's socket tables turned into rows: the IPv4 ones (/proc/net/tcp,
// /proc/net/udp) into the rows of GetNetStat, the IPv6 ones (tcp6, udp6) into
// rows for listings that show both. MIB state numbers, owning process ids
// found through the socket inodes under /proc/<pid>/fd, rows sorted as the
// tables promise.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "net_tables.h"

namespace qx::net {

struct ProcSocket {
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t remoteAddress = 0;
    std::uint16_t remotePort = 0;
    std::uint32_t kernelState = 0;
    std::uint64_t inode = 0;
};

using Ipv6Address = std::array<std::uint8_t, 16>;  // network order

struct ProcSocket6 {
    Ipv6Address localAddress{};
    std::uint16_t localPort = 0;
    Ipv6Address remoteAddress{};
    std::uint16_t remotePort = 0;
    std::uint32_t kernelState = 0;
    std::uint64_t inode = 0;
};

// One socket per data line of a /proc/net/{tcp,udp} (or tcp6, udp6) text;
// the heading line and lines that do not parse are skipped.
std::vector<ProcSocket> ParseProcNetTable(std::string_view text);
std::vector<ProcSocket6> ParseProcNet6Table(std::string_view text);

// The whole of a file under /proc; nothing when it cannot be read.
std::optional<std::string> ReadProcFile(const std::string& path);

// The MIB state number of a Linux TCP state, 0 for a state it does not know.
std::uint32_t MibTcpState(std::uint32_t kernelState);

// Owning process of each wanted socket inode. Processes are visited in
// ascending id order, so a socket shared after fork() goes to the lowest id;
// sockets of processes that cannot be inspected are left out.
std::unordered_map<std::uint64_t, std::uint32_t> FindSocketOwners(
    const std::unordered_set<std::uint64_t>& inodes, const char* procRoot = "/proc");

// Table rows, sorted by local address, local port, remote address, remote port.
std::vector<TcpRow> MakeTcpRows(const std::vector<ProcSocket>& sockets,
                                const std::unordered_map<std::uint64_t, std::uint32_t>& owners);
std::vector<UdpRow> MakeUdpRows(const std::vector<ProcSocket>& sockets,
                                const std::unordered_map<std::uint64_t, std::uint32_t>& owners);

struct Ipv6Row {
    Ipv6Address localAddress{};
    std::uint16_t localPort = 0;
    Ipv6Address remoteAddress{};
    std::uint16_t remotePort = 0;
    std::uint32_t state = 0;  // MIB state number (TCP only)
    std::uint32_t processId = 0;
};

struct Ipv6Sockets {
    std::vector<Ipv6Row> tcp, udp;
};

// The machine's IPv6 sockets with their owning processes (one look through
// the processes for both), each kind sorted as MakeTcpRows sorts; empty where
// the kernel has no IPv6.
Ipv6Sockets ReadIpv6Sockets(const char* procRoot = "/proc");

}  // namespace qx::net
