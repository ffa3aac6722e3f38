// GetNetStat on Linux: both tables from the kernel's IPv4 socket tables.
#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "pelvoro.h"
#include "proc_net_linux.h"

namespace {

std::optional<std::string> ReadWholeFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    close(fd);
    return text;
}

}  // namespace

extern "C" PELVORO_API int GetNetStat(void** tcpTable, void** udpTable) {
    using namespace qx::net;
    if (tcpTable == nullptr || udpTable == nullptr) return 0;
    const std::optional<std::string> tcpText = ReadWholeFile("/proc/net/tcp");
    const std::optional<std::string> udpText = ReadWholeFile("/proc/net/udp");
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
