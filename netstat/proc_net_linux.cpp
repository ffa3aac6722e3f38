#include "proc_net_linux.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

namespace qx::net {
namespace {

// Advances past spaces; false at the end of the line.
bool SkipSpaces(std::string_view line, std::size_t& at) {
    while (at < line.size() && line[at] == ' ') ++at;
    return at < line.size();
}

std::string_view NextField(std::string_view line, std::size_t& at) {
    if (!SkipSpaces(line, at)) return {};
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ') ++at;
    return line.substr(start, at - start);
}

template <typename Number>
bool ParseNumber(std::string_view text, int base, Number& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size();
}

// "0100007F:1F90": the kernel prints the address word as it lies in memory,
// so its bytes in host order are the network-order address.
bool ParseEndpoint(std::string_view field, std::uint32_t& address, std::uint16_t& port) {
    const std::size_t colon = field.find(':');
    if (colon != 8) return false;
    std::uint32_t word = 0;
    if (!ParseNumber(field.substr(0, colon), 16, word)) return false;
    if (!ParseNumber(field.substr(colon + 1), 16, port)) return false;
    address = ntohl(word);
    return true;
}

// "00000000000000000000000001000000:0277": four 32-bit words as the kernel
// holds them in memory, so each word's bytes in host order are four bytes of
// the address in network order.
bool ParseEndpoint(std::string_view field, Ipv6Address& address, std::uint16_t& port) {
    if (field.size() != 37 || field[32] != ':') return false;
    for (int word = 0; word < 4; ++word) {
        std::uint32_t value = 0;
        if (!ParseNumber(field.substr(8 * word, 8), 16, value)) return false;
        std::memcpy(address.data() + 4 * word, &value, 4);
    }
    return ParseNumber(field.substr(33), 16, port);
}

template <typename Socket>
bool ParseLine(std::string_view line, Socket& socket) {
    std::size_t at = 0;
    std::string_view slot = NextField(line, at);
    if (slot.empty() || slot.back() != ':') return false;
    if (!ParseEndpoint(NextField(line, at), socket.localAddress, socket.localPort)) return false;
    if (!ParseEndpoint(NextField(line, at), socket.remoteAddress, socket.remotePort)) return false;
    if (!ParseNumber(NextField(line, at), 16, socket.kernelState)) return false;
    // queues, timer, retransmits, uid, timeout, then the inode
    for (int skipped = 0; skipped < 5; ++skipped) {
        if (NextField(line, at).empty()) return false;
    }
    return ParseNumber(NextField(line, at), 10, socket.inode);
}

template <typename Socket>
std::vector<Socket> ParseTable(std::string_view text) {
    std::vector<Socket> sockets;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        Socket socket;
        if (ParseLine(line, socket)) sockets.push_back(socket);
    }
    return sockets;
}

// "socket:[12345]" -> 12345.
bool SocketInode(std::string_view link, std::uint64_t& inode) {
    constexpr std::string_view kPrefix = "socket:[";
    if (!link.starts_with(kPrefix) || !link.ends_with(']')) return false;
    return ParseNumber(link.substr(kPrefix.size(), link.size() - kPrefix.size() - 1), 10, inode);
}

// Records the owner of every wanted socket among one process's descriptors.
void ScanProcessDescriptors(int fdDirectory, std::uint32_t pid,
                            const std::unordered_set<std::uint64_t>& inodes,
                            std::unordered_map<std::uint64_t, std::uint32_t>& owners) {
    DIR* descriptors = fdopendir(fdDirectory);
    if (descriptors == nullptr) {
        close(fdDirectory);
        return;
    }
    char link[64];
    while (const dirent* entry = readdir(descriptors)) {
        if (entry->d_name[0] == '.') continue;
        const ssize_t length = readlinkat(dirfd(descriptors), entry->d_name, link, sizeof link);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) continue;
        std::uint64_t inode = 0;
        if (!SocketInode({link, static_cast<std::size_t>(length)}, inode)) continue;
        if (inodes.contains(inode)) owners.try_emplace(inode, pid);
    }
    closedir(descriptors);
}

template <typename Row>
auto SortKey(const Row& row) {
    if constexpr (requires { row.remoteAddress; }) {
        return std::tie(row.localAddress, row.localPort, row.remoteAddress, row.remotePort);
    } else {
        return std::tie(row.localAddress, row.localPort);
    }
}

template <typename Row>
void SortRows(std::vector<Row>& rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return SortKey(a) < SortKey(b); });
}

std::uint32_t OwnerOf(const std::unordered_map<std::uint64_t, std::uint32_t>& owners,
                      std::uint64_t inode) {
    const auto found = owners.find(inode);
    return found == owners.end() ? 0 : found->second;
}

}  // namespace

std::vector<ProcSocket> ParseProcNetTable(std::string_view text) {
    return ParseTable<ProcSocket>(text);
}

std::vector<ProcSocket6> ParseProcNet6Table(std::string_view text) {
    return ParseTable<ProcSocket6>(text);
}

std::optional<std::string> ReadProcFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
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

std::uint32_t MibTcpState(std::uint32_t kernelState) {
    // Indexed by the kernel's TCP_ESTABLISHED (1) ... TCP_NEW_SYN_RECV (12).
    static constexpr std::uint32_t kMib[] = {
        0,
        kTcpEstablished,
        kTcpSynSent,
        kTcpSynReceived,
        kTcpFinWait1,
        kTcpFinWait2,
        kTcpTimeWait,
        kTcpClosed,
        kTcpCloseWait,
        kTcpLastAck,
        kTcpListen,
        kTcpClosing,
        kTcpSynReceived,
    };
    return kernelState < std::size(kMib) ? kMib[kernelState] : 0;
}

std::unordered_map<std::uint64_t, std::uint32_t> FindSocketOwners(
    const std::unordered_set<std::uint64_t>& inodes, const char* procRoot) {
    std::unordered_map<std::uint64_t, std::uint32_t> owners;
    if (inodes.empty()) return owners;
    DIR* processes = opendir(procRoot);
    if (processes == nullptr) return owners;
    std::vector<std::uint32_t> pids;
    while (const dirent* entry = readdir(processes)) {
        std::uint32_t pid = 0;
        if (ParseNumber(std::string_view{entry->d_name}, 10, pid)) pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    for (const std::uint32_t pid : pids) {
        char path[32];
        std::snprintf(path, sizeof path, "%u/fd", pid);
        const int fdDirectory = openat(dirfd(processes), path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fdDirectory < 0) continue;
        ScanProcessDescriptors(fdDirectory, pid, inodes, owners);
        if (owners.size() == inodes.size()) break;
    }
    closedir(processes);
    return owners;
}

std::vector<TcpRow> MakeTcpRows(const std::vector<ProcSocket>& sockets,
                                const std::unordered_map<std::uint64_t, std::uint32_t>& owners) {
    std::vector<TcpRow> rows;
    rows.reserve(sockets.size());
    for (const ProcSocket& s : sockets) {
        rows.push_back({MibTcpState(s.kernelState), s.localAddress, s.localPort, s.remoteAddress,
                        s.remotePort, s.inode == 0 ? 0 : OwnerOf(owners, s.inode)});
    }
    SortRows(rows);
    return rows;
}

std::vector<UdpRow> MakeUdpRows(const std::vector<ProcSocket>& sockets,
                                const std::unordered_map<std::uint64_t, std::uint32_t>& owners) {
    std::vector<UdpRow> rows;
    rows.reserve(sockets.size());
    for (const ProcSocket& s : sockets) {
        rows.push_back({s.localAddress, s.localPort, s.inode == 0 ? 0 : OwnerOf(owners, s.inode)});
    }
    SortRows(rows);
    return rows;
}

Ipv6Sockets ReadIpv6Sockets(const char* procRoot) {
    const std::string root(procRoot);
    // A kernel without IPv6 has no such files: no rows.
    const std::vector<ProcSocket6> tcp =
        ParseProcNet6Table(ReadProcFile(root + "/net/tcp6").value_or(""));
    const std::vector<ProcSocket6> udp =
        ParseProcNet6Table(ReadProcFile(root + "/net/udp6").value_or(""));
    std::unordered_set<std::uint64_t> inodes;
    for (const auto* sockets : {&tcp, &udp}) {
        for (const ProcSocket6& s : *sockets) {
            if (s.inode != 0) inodes.insert(s.inode);
        }
    }
    const auto owners = FindSocketOwners(inodes, procRoot);
    Ipv6Sockets rows;
    for (const ProcSocket6& s : tcp) {
        rows.tcp.push_back({s.localAddress, s.localPort, s.remoteAddress, s.remotePort,
                            MibTcpState(s.kernelState),
                            s.inode == 0 ? 0 : OwnerOf(owners, s.inode)});
    }
    for (const ProcSocket6& s : udp) {
        rows.udp.push_back({s.localAddress, s.localPort, s.remoteAddress, s.remotePort, 0,
                            s.inode == 0 ? 0 : OwnerOf(owners, s.inode)});
    }
    SortRows(rows.tcp);
    SortRows(rows.udp);
    return rows;
}

}  // namespace qx::net
