// The rows of the network connections list, as text: protocol, local and
// remote endpoint (with the remote address's location for TCP), state,
// process id and process path. The windowed page and the command line show
// exactly these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "net_tables.h"

class CQQwry;

namespace qx::host {

struct ConnectionRow {
    std::u16string protocol;
    std::u16string local;
    std::u16string remote;
    std::u16string state;
    std::u16string processId;
    std::u16string processPath;
};

// The list's name of a TCP state value, "???" for values it has no name for.
std::u16string_view TcpStateName(std::uint32_t state);

// The executable path of a process id, "NT OS Kernel" when it cannot be read
// (the idle and system processes, exited processes, denied access).
std::u16string ProcessPath(std::uint32_t processId);

using ProcessPathFunction = std::function<std::u16string(std::uint32_t)>;

// UDP rows first, then TCP rows, each in table order.
std::vector<ConnectionRow> FormatConnectionRows(const std::vector<net::UdpRow>& udp,
                                                const std::vector<net::TcpRow>& tcp,
                                                const CQQwry& locations,
                                                const ProcessPathFunction& processPath);

}  // namespace qx::host
