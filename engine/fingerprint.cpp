// CRC-64/WE: polynomial 0x42F0E1EBA9EA3693, most significant bit first,
// register starting at all ones and complemented at the end.
#include "fingerprint.h"

#include <array>
#include <vector>

namespace qx {
namespace {

constexpr std::uint64_t kPolynomial = 0x42F0E1EBA9EA3693;

// tables[0] is the classic byte table; tables[k] advances a byte that stands k
// bytes further from the end, so eight bytes are folded in one step.
using Tables = std::array<std::array<std::uint64_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (std::uint64_t i = 0; i < 256; ++i) {
        std::uint64_t r = i << 56;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & (std::uint64_t{1} << 63)) ? (r << 1) ^ kPolynomial : r << 1;
        t[0][i] = r;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 56];
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint64_t Crc64WeUpdate(std::uint64_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size >= 8) {
        crc ^= std::uint64_t{p[0]} << 56 | std::uint64_t{p[1]} << 48 | std::uint64_t{p[2]} << 40 |
               std::uint64_t{p[3]} << 32 | std::uint64_t{p[4]} << 24 | std::uint64_t{p[5]} << 16 |
               std::uint64_t{p[6]} << 8 | std::uint64_t{p[7]};
        crc = kTables[7][crc >> 56] ^ kTables[6][(crc >> 48) & 0xFF] ^
              kTables[5][(crc >> 40) & 0xFF] ^ kTables[4][(crc >> 32) & 0xFF] ^
              kTables[3][(crc >> 24) & 0xFF] ^ kTables[2][(crc >> 16) & 0xFF] ^
              kTables[1][(crc >> 8) & 0xFF] ^ kTables[0][crc & 0xFF];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = (crc << 8) ^ kTables[0][(crc >> 56) ^ *p++];
    return crc;
}

std::uint64_t FileFingerprint(const os::File& file) {
    std::vector<std::uint8_t> block(64 * 1024);
    std::uint64_t crc = kCrc64WeInit;
    std::uint64_t offset = 0;
    std::int64_t n;
    // A read error ends the sum as the end of the file would.
    while ((n = file.ReadAt(offset, block.data(), block.size())) > 0) {
        crc = Crc64WeUpdate(crc, block.data(), static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return ~crc;
}

std::uint64_t FileFingerprint(std::u16string_view path) {
    os::File file;
    // Only regular files: a FIFO in the tree must not stall the scan.
    if (!file.Open(path, os::File::Mode::kSharedRead)) return 0;
    return FileFingerprint(file);
}

}  // namespace qx
