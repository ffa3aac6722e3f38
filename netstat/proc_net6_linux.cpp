#include "proc_net6_linux.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_set>

#include "proc_net_linux.h"

namespace qx::net {
namespace {

template <typename Number>
bool ParseNumber(std::string_view text, int base, Number& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string_view NextField(std::string_view line, std::size_t& at) {
    while (at < line.size() && line[at] == ' ') ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ') ++at;
    return line.substr(start, at - start);
}

// "00000000000000000000000001000000:0277": four 32-bit words as the kernel
// holds them in memory, so each word's bytes in host order are four bytes of
// the address in network order.
bool ParseEndpoint(std::string_view field, std::array<std::uint8_t, 16>& address,
                   std::uint16_t& port) {
    if (field.size() != 37 || field[32] != ':') return false;
    for (int word = 0; word < 4; ++word) {
        std::uint32_t value = 0;
        if (!ParseNumber(field.substr(8 * word, 8), 16, value)) return false;
        std::memcpy(address.data() + 4 * word, &value, 4);
    }
    return ParseNumber(field.substr(33), 16, port);
}

}  // namespace

std::vector<Ipv6Row> ParseProcNet6Table(std::string_view text, std::vector<std::uint64_t>& inodes) {
    std::vector<Ipv6Row> rows;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::size_t at = 0;
        const std::string_view slot = NextField(line, at);
        if (slot.empty() || slot.back() != ':') continue;  // the heading
        Ipv6Row row;
        std::uint32_t kernelState = 0;
        if (!ParseEndpoint(NextField(line, at), row.localAddress, row.localPort) ||
            !ParseEndpoint(NextField(line, at), row.remoteAddress, row.remotePort) ||
            !ParseNumber(NextField(line, at), 16, kernelState)) {
            continue;
        }
        // queues, timer, retransmits, uid, timeout, then the inode
        for (int skipped = 0; skipped < 5; ++skipped) NextField(line, at);
        std::uint64_t inode = 0;
        if (!ParseNumber(NextField(line, at), 10, inode)) continue;
        row.state = MibTcpState(kernelState);
        rows.push_back(row);
        inodes.push_back(inode);
    }
    return rows;
}

std::vector<Ipv6Row> ReadIpv6Sockets(bool tcp, const char* procRoot) {
    std::ifstream file(std::string(procRoot) + (tcp ? "/net/tcp6" : "/net/udp6"));
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<std::uint64_t> inodes;
    std::vector<Ipv6Row> rows = ParseProcNet6Table(text.str(), inodes);
    const auto owners = FindSocketOwners({inodes.begin(), inodes.end()}, procRoot);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto owner = owners.find(inodes[i]);
        if (inodes[i] != 0 && owner != owners.end()) rows[i].processId = owner->second;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Ipv6Row& a, const Ipv6Row& b) {
        return std::tie(a.localAddress, a.localPort, a.remoteAddress, a.remotePort) <
               std::tie(b.localAddress, b.localPort, b.remoteAddress, b.remotePort);
    });
    if (!tcp) {
        for (Ipv6Row& row : rows) row.state = 0;
    }
    return rows;
}

}  // namespace qx::net
