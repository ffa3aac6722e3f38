// GetNetStat on Linux: both tables from the kernel's IPv4 socket tables.
#include <optional>
#include <string>

#include "pelvoro.h"
#include "proc_net_linux.h"

extern "C" PELVORO_API int GetNetStat(void** tcpTable, void** udpTable) {
    using namespace qx::net;
    if (tcpTable == nullptr || udpTable == nullptr) return 0;
    const std::optional<std::string> tcpText = ReadProcFile("/proc/net/tcp");
    const std::optional<std::string> udpText = ReadProcFile("/proc/net/udp");
    if (!tcpText || !udpText) return 0;

    const std::vector<ProcSocket> tcp = ParseProcNetTable(*tcpText);
    const std::vector<ProcSocket> udp = ParseProcNetTable(*udpText);
    std::unordered_set<std::uint64_t> inodes;
    for (const auto* sockets : {&tcp, &udp}) {
        for (const ProcSocket& s : *sockets) {
            if (s.inode != 0) inodes.insert(s.inode);
        }
    }
    const auto owners = FindSocketOwners(inodes);

    *tcpTable = WriteTcpTable(MakeTcpRows(tcp, owners));
    *udpTable = WriteUdpTable(MakeUdpRows(udp, owners));
    return *tcpTable != nullptr && *udpTable != nullptr ? 1 : 0;
}
