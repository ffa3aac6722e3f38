#include "net_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qx::net {
namespace {

std::uint32_t LoadLittle32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

void StoreLittle32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

// Addresses and ports travel in network byte order: first byte first.
std::uint32_t LoadAddress(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           std::uint32_t{at[3]};
}

void StoreAddress(std::uint8_t* at, std::uint32_t address) {
    at[0] = static_cast<std::uint8_t>(address >> 24);
    at[1] = static_cast<std::uint8_t>(address >> 16);
    at[2] = static_cast<std::uint8_t>(address >> 8);
    at[3] = static_cast<std::uint8_t>(address);
}

std::uint16_t LoadPort(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

void StorePort(std::uint8_t* at, std::uint16_t port) {
    at[0] = static_cast<std::uint8_t>(port >> 8);
    at[1] = static_cast<std::uint8_t>(port);
    at[2] = 0;
    at[3] = 0;
}

std::uint8_t* AllocateZeroed(std::size_t bytes) {
#ifdef _WIN32
    return static_cast<std::uint8_t*>(LocalAlloc(LMEM_ZEROINIT, bytes));
#else
    return static_cast<std::uint8_t*>(std::calloc(1, bytes));
#endif
}

}  // namespace

std::vector<TcpRow> ReadTcpTable(const void* table) {
    std::vector<TcpRow> rows;
    if (table == nullptr) return rows;
    const auto* bytes = static_cast<const std::uint8_t*>(table);
    const std::uint32_t count = LoadLittle32(bytes);
    rows.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* row = bytes + kTableCountBytes + std::size_t{i} * kTcpRowBytes;
        rows.push_back({LoadLittle32(row), LoadAddress(row + 4), LoadPort(row + 8),
                        LoadAddress(row + 12), LoadPort(row + 16), LoadLittle32(row + 20)});
    }
    return rows;
}

std::vector<UdpRow> ReadUdpTable(const void* table) {
    std::vector<UdpRow> rows;
    if (table == nullptr) return rows;
    const auto* bytes = static_cast<const std::uint8_t*>(table);
    const std::uint32_t count = LoadLittle32(bytes);
    rows.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* row = bytes + kTableCountBytes + std::size_t{i} * kUdpRowBytes;
        rows.push_back({LoadAddress(row), LoadPort(row + 4), LoadLittle32(row + 8)});
    }
    return rows;
}

void* WriteTcpTable(const std::vector<TcpRow>& rows) {
    std::uint8_t* table = AllocateZeroed(kTableCountBytes + rows.size() * kTcpRowBytes);
    if (table == nullptr) return nullptr;
    StoreLittle32(table, static_cast<std::uint32_t>(rows.size()));
    std::uint8_t* row = table + kTableCountBytes;
    for (const TcpRow& r : rows) {
        StoreLittle32(row, r.state);
        StoreAddress(row + 4, r.localAddress);
        StorePort(row + 8, r.localPort);
        StoreAddress(row + 12, r.remoteAddress);
        StorePort(row + 16, r.remotePort);
        StoreLittle32(row + 20, r.processId);
        row += kTcpRowBytes;
    }
    return table;
}

void* WriteUdpTable(const std::vector<UdpRow>& rows) {
    std::uint8_t* table = AllocateZeroed(kTableCountBytes + rows.size() * kUdpRowBytes);
    if (table == nullptr) return nullptr;
    StoreLittle32(table, static_cast<std::uint32_t>(rows.size()));
    std::uint8_t* row = table + kTableCountBytes;
    for (const UdpRow& r : rows) {
        StoreAddress(row, r.localAddress);
        StorePort(row + 4, r.localPort);
        StoreLittle32(row + 8, r.processId);
        row += kUdpRowBytes;
    }
    return table;
}

void ReleaseTable(void* table) {
    if (table == nullptr) return;
#ifdef _WIN32
    LocalFree(table);
#else
    std::free(table);
#endif
}

void FormatAddress(std::uint32_t address, char (&text)[16]) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
}

}  // namespace qx::net
