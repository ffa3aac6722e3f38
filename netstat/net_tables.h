// The two tables of GetNetStat as rows, and back: the byte layouts of
// pelvoro.h read into plain values, written from them, and released the way
// the platform's library allocates them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx::net {

inline constexpr std::size_t kTableCountBytes = 4;
inline constexpr std::size_t kTcpRowBytes = 24;
inline constexpr std::size_t kUdpRowBytes = 12;

// The MIB TCP states that the TCP table carries.
enum TcpState : std::uint32_t {
    kTcpClosed = 1,
    kTcpListen = 2,
    kTcpSynSent = 3,
    kTcpSynReceived = 4,
    kTcpEstablished = 5,
    kTcpFinWait1 = 6,
    kTcpFinWait2 = 7,
    kTcpCloseWait = 8,
    kTcpClosing = 9,
    kTcpLastAck = 10,
    kTcpTimeWait = 11,
    kTcpDeleteTcb = 12,
};

// Addresses as IP numbers (first octet most significant), ports as numbers.
struct TcpRow {
    std::uint32_t state = 0;
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t remoteAddress = 0;
    std::uint16_t remotePort = 0;
    std::uint32_t processId = 0;

    bool operator==(const TcpRow&) const = default;
};

struct UdpRow {
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t processId = 0;

    bool operator==(const UdpRow&) const = default;
};

// A null table reads as no rows.
std::vector<TcpRow> ReadTcpTable(const void* table);
std::vector<UdpRow> ReadUdpTable(const void* table);

// Tables in the layout of pelvoro.h, allocated as the platform's GetNetStat
// allocates them (null when the allocation fails); release with ReleaseTable.
void* WriteTcpTable(const std::vector<TcpRow>& rows);
void* WriteUdpTable(const std::vector<UdpRow>& rows);

// LocalFree on Windows, free elsewhere; null is ignored.
void ReleaseTable(void* table);

// "a.b.c.d" of an IP number.
void FormatAddress(std::uint32_t address, char (&text)[16]);

}  // namespace qx::net
