// The kernel's IPv4 socket tables (/proc/net/tcp, /proc/net/udp) turned into
// the rows of GetNetStat: MIB state numbers, owning process ids found through
// the socket inodes under /proc/<pid>/fd, rows sorted as the tables promise.
#pragma once

#include <cstdint>
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

// One socket per data line of a /proc/net/{tcp,udp} text; the heading line
// and lines that do not parse are skipped.
std::vector<ProcSocket> ParseProcNetTable(std::string_view text);

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

}  // namespace qx::net
